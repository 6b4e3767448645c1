// SPDX-License-Identifier: MIT
// Stand-ins for what the login window's procedures talk to, each recording what it was asked.
#pragma once

#include "core/bindingfailure.h"
#include "core/loginview.h"
#include "core/mdconnectiontest.h"
#include "core/messages.h"
#include "core/settingsstore.h"
#include "core/sitelauncher.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The platform's dial-up functions, scripted: with a successful listing, one connection per entry
// of `states`, handles 1, 2, ... in order. `unbound` names a function that cannot be bound.
class FakeRasApi final : public mdConnectionTest::RasApi
{
public:
    std::uint32_t enumerationResult = mdConnectionTest::SUCCESS;
    std::vector<std::uint32_t> states;
    std::string unbound;

    // What the caller passed in.
    std::uint32_t firstRecordSize = 0;
    std::uint32_t byteCountOnEntry = 0;
    std::vector<mdConnectionTest::HRASCONN> statusHandles;
    std::vector<std::uint32_t> statusRecordSizes;

    std::uint32_t RasEnumConnectionsA(mdConnectionTest::RASCONNA* first, std::uint32_t* byteCount,
                                      std::int32_t* connectionCount) override
    {
        raiseIfUnbound("RasEnumConnectionsA");
        firstRecordSize = first->dwSize;
        byteCountOnEntry = *byteCount;
        if (enumerationResult != mdConnectionTest::SUCCESS) {
            return enumerationResult;
        }
        for (std::size_t i = 0; i < states.size(); ++i) {
            first[i].dwSize = mdConnectionTest::rasConnSize;
            first[i].hrasconn = static_cast<mdConnectionTest::HRASCONN>(i + 1);
        }
        *byteCount = static_cast<std::uint32_t>(states.size() * mdConnectionTest::rasConnSize);
        *connectionCount = static_cast<std::int32_t>(states.size());
        return mdConnectionTest::SUCCESS;
    }

    std::uint32_t RasGetConnectStatusA(mdConnectionTest::HRASCONN connection,
                                       mdConnectionTest::RASCONNSTATUSA* status) override
    {
        raiseIfUnbound("RasGetConnectStatusA");
        statusHandles.push_back(connection);
        statusRecordSizes.push_back(status->dwSize);
        if (connection == 0 || connection > states.size()) {
            return mdConnectionTest::ERROR_INVALID_HANDLE;
        }
        status->rasconnstate = states[connection - 1];
        return mdConnectionTest::SUCCESS;
    }

    const char* lastFailureReason() const override { return "scripted failure"; }

private:
    void raiseIfUnbound(const std::string& entry) const
    {
        if (unbound == entry) {
            throw connectiontest::BindingFailure("Could not find " + entry + " in RasApi32.dll",
                                                 "Procedure not found. (error 127)");
        }
    }
};

class FakeStore final : public core::SettingsStore
{
public:
    // Entries by "application/section/key".
    std::map<std::string, std::string> entries;
    mutable std::vector<std::string> reads;
    std::vector<std::string> writes;
    std::optional<core::Failure> refusal;

    std::string GetSetting(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& defaultValue) const override
    {
        const std::string address = application + '/' + section + '/' + key;
        reads.push_back(address);
        const auto found = entries.find(address);
        return found != entries.end() ? found->second : defaultValue;
    }

    std::optional<core::Failure> SaveSetting(const std::string& application,
                                             const std::string& section, const std::string& key,
                                             const std::string& value) override
    {
        const std::string address = application + '/' + section + '/' + key;
        writes.push_back(address + '=' + value);
        if (!refusal) {
            entries[address] = value;
        }
        return refusal;
    }
};

class FakeLauncher final : public core::SiteLauncher
{
public:
    std::vector<std::string> opened;
    std::optional<core::Failure> refusal;

    std::optional<core::Failure> openSite(const std::string& url) override
    {
        opened.push_back(url);
        return refusal;
    }
};

// Every box as "plain: text (cause)" or "failure: text (cause)".
class FakeMessages final : public core::Messages
{
public:
    std::vector<std::string> shown;

    void plain(const std::string& text, const core::Failure& cause) override
    {
        shown.push_back("plain: " + text + " (" + cause.text() + ")");
    }
    void failure(const std::string& text, const core::Failure& cause) override
    {
        shown.push_back("failure: " + text + " (" + cause.text() + ")");
    }
};

// What the procedures did to the window, in order: "caption: ...", "name: ...", "unload", "end".
class FakeView final : public core::LoginView
{
public:
    std::string typedName;
    std::vector<std::string> done;

    void setCaption(const std::string& caption) override { done.push_back("caption: " + caption); }
    void setUserName(const std::string& name) override
    {
        typedName = name;
        done.push_back("name: " + name);
    }
    std::string userName() const override { return typedName; }
    void unload() override { done.push_back("unload"); }
    void endProgram() override { done.push_back("end"); }
};
