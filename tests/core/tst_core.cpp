// SPDX-License-Identifier: MIT
// The login window's procedures against stand-ins: the load sequence with every answer the
// dial-up functions and the store can give, and the three commands. Plain C++, so that the same
// table runs on Linux and, cross-built, under wine with the Windows records.
#include "checks.h"
#include "core/loginprocedures.h"
#include "doubles.h"

#include <optional>
#include <string>
#include <vector>

using namespace mdConnectionTest;

namespace {

using Lines = std::vector<std::string>;

const std::string lastUser = "Corvane/General/LastUser";
const std::string url = "http://www.corvane.example";
const std::string refusedWrite = "Could not write /home/ann/.config/Corvane/Corvane.conf: "
                                 "Read-only file system";
const std::string refusedOpen = "Could not open " + url + ": xdg-open was not found on PATH";

struct Case
{
    const char* name;
    // The platform's answers.
    std::uint32_t enumerationResult = SUCCESS;
    std::vector<std::uint32_t> states{};
    std::string unbound{};
    std::optional<std::string> stored{};
    bool storeRefuses = false;
    bool launcherRefuses = false;
    // After the load: "type <text>", "login", "exit", "banner".
    Lines clicks{};
    // What must have happened.
    std::string loadFailure{};
    Lines view{};
    Lines messages{};
    std::vector<HRASCONN> handlesAsked{};
    Lines writes{};
    Lines opened{};
};

const Lines offlineAndDefault = {"caption: Corvane (Offline)", "name: Username"};

std::vector<Case> cases()
{
    return {
        {.name = "no connection, nothing stored", .view = offlineAndDefault, .handlesAsked = {0}},
        {.name = "first connected, a name with blanks stored",
         .states = {RASCS_Connected},
         .stored = "  Ann Lee \t",
         .view = {"caption: Corvane (Online)", "name:   Ann Lee \t"},
         .handlesAsked = {1}},
        {.name = "an empty name stored",
         .stored = "",
         .view = {"caption: Corvane (Offline)", "name: "},
         .handlesAsked = {0}},
        {.name = "dialling",
         .states = {RASCS_ConnectDevice},
         .view = offlineAndDefault,
         .handlesAsked = {1}},
        {.name = "authenticating",
         .states = {RASCS_Authenticate},
         .view = offlineAndDefault,
         .handlesAsked = {1}},
        {.name = "first connected, second not",
         .states = {RASCS_Connected, RASCS_Authenticate},
         .view = {"caption: Corvane (Online)", "name: Username"},
         .handlesAsked = {1}},
        {.name = "first not, second connected",
         .states = {RASCS_ConnectDevice, RASCS_Connected},
         .view = offlineAndDefault,
         .handlesAsked = {1}},
        {.name = "listing fails",
         .enumerationResult = ERROR_ACCESS_DENIED,
         .states = {RASCS_Connected},
         .view = offlineAndDefault,
         .messages = {"plain: ERROR (Could not list the dial-up connections (error 5): scripted "
                      "failure)"}},
        {.name = "buffer too small",
         .enumerationResult = ERROR_BUFFER_TOO_SMALL,
         .view = offlineAndDefault,
         .messages = {"plain: ERROR (Could not list the dial-up connections (error 603): "
                      "scripted failure)"}},
        {.name = "listing cannot be bound",
         .unbound = "RasEnumConnectionsA",
         .loadFailure = "Could not find RasEnumConnectionsA in RasApi32.dll: Procedure not found. "
                        "(error 127)"},
        {.name = "status cannot be bound",
         .states = {RASCS_Connected},
         .unbound = "RasGetConnectStatusA",
         .loadFailure = "Could not find RasGetConnectStatusA in RasApi32.dll: Procedure not "
                        "found. (error 127)"},
        {.name = "Login stores the box as it is, each time",
         .clicks = {"type ann", "login", "type ", "login", "type  bob ", "login"},
         .view = offlineAndDefault,
         .handlesAsked = {0},
         .writes = {lastUser + "=ann", lastUser + "=", lastUser + "= bob "}},
        {.name = "a refused Login is reported and changes nothing else",
         .storeRefuses = true,
         .clicks = {"type ann", "login"},
         .view = offlineAndDefault,
         .messages = {"failure: The user name was not saved.\n\n" + refusedWrite + " (" +
                      refusedWrite + ")"},
         .handlesAsked = {0},
         .writes = {lastUser + "=ann"}},
        {.name = "Exit unloads the window, then ends the program, writing nothing",
         .clicks = {"type never saved", "exit"},
         .view = {"caption: Corvane (Offline)", "name: Username", "unload", "end"},
         .handlesAsked = {0}},
        {.name = "the banner opens the site at each click",
         .clicks = {"banner", "banner"},
         .view = offlineAndDefault,
         .handlesAsked = {0},
         .opened = {url, url}},
        {.name = "a banner that cannot open the site says so",
         .launcherRefuses = true,
         .clicks = {"banner"},
         .view = offlineAndDefault,
         .messages = {"failure: The web site could not be opened.\n\n" + refusedOpen + " (" +
                      refusedOpen + ")"},
         .handlesAsked = {0},
         .opened = {url}},
    };
}

std::string joined(const Lines& lines)
{
    std::string text = "{";
    for (const std::string& line : lines) {
        text += (text.size() > 1 ? " | " : "") + line;
    }
    return text + "}";
}

std::string joined(const std::vector<HRASCONN>& handles)
{
    Lines lines;
    for (const HRASCONN handle : handles) {
        lines.push_back(std::to_string(handle));
    }
    return joined(lines);
}

void run(Checks& checks, const Case& row)
{
    checks.group(row.name);
    FakeRasApi ras;
    ras.enumerationResult = row.enumerationResult;
    ras.states = row.states;
    ras.unbound = row.unbound;
    FakeStore store;
    if (row.stored) {
        store.entries[lastUser] = *row.stored;
    }
    if (row.storeRefuses) {
        store.refusal = core::Failure{"Could not write /home/ann/.config/Corvane/Corvane.conf",
                                      "Read-only file system"};
    }
    FakeLauncher launcher;
    if (row.launcherRefuses) {
        launcher.refusal = core::Failure{"Could not open " + url, "xdg-open was not found on PATH"};
    }
    FakeMessages messages;
    FakeView view;
    core::LoginProcedures procedures({store, ras, launcher, messages}, view);

    const std::optional<core::Failure> failure = core::loadWindow(procedures);
    for (const std::string& click : row.clicks) {
        if (click.starts_with("type ")) {
            view.typedName = click.substr(5);
        } else if (click == "login") {
            procedures.cmdLogin_Click();
        } else if (click == "exit") {
            procedures.CmdExit_Click();
        } else if (click == "banner") {
            procedures.Image2_Click();
        }
    }

    checks.expectEqual(failure ? failure->text() : std::string(), row.loadFailure,
                       "the load's failure");
    checks.expectEqual(joined(view.done), joined(row.view), "what was done to the window");
    checks.expectEqual(joined(messages.shown), joined(row.messages), "the boxes");
    checks.expectEqual(joined(ras.statusHandles), joined(row.handlesAsked), "the handles asked");
    checks.expectEqual(joined(store.writes), joined(row.writes), "the writes");
    checks.expectEqual(joined(launcher.opened), joined(row.opened), "the sites opened");
    // The name is read once per load, and only when the dial-up test ran to its end.
    checks.expectEqual(store.reads.size(), std::size_t{row.loadFailure.empty() ? 1U : 0U},
                       "the reads of the last-user entry");
    if (row.unbound != "RasEnumConnectionsA") {
        // 256 records, the first stamped with the record's size; each status record stamped.
        checks.expectEqual(ras.firstRecordSize, rasConnSize, "the first record's size stamp");
        checks.expectEqual(ras.byteCountOnEntry, 256 * rasConnSize, "the byte count on entry");
    }
    for (const std::uint32_t size : ras.statusRecordSizes) {
        checks.expectEqual(size, rasConnStatusSize, "the status record's size stamp");
    }
}

} // namespace

int main()
{
    Checks checks;
    for (const Case& row : cases()) {
        run(checks, row);
    }
    return checks.finish();
}
