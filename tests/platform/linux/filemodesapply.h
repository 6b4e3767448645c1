// SPDX-License-Identifier: MIT
// Makes file modes bind a process that runs as root, for as long as an object of it lives: root
// reads and writes through modes with two capabilities, which this takes out of the effective set
// and puts back afterwards. For anyone else the modes bind anyway and it does nothing.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class FileModesApply
{
public:
    FileModesApply()
    {
        if (::syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &=
            ~(capabilityBit(CAP_DAC_OVERRIDE) | capabilityBit(CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~FileModesApply()
    {
        if (active_) {
            ::syscall(SYS_capset, &header_, saved_);
        }
    }
    FileModesApply(const FileModesApply&) = delete;
    FileModesApply& operator=(const FileModesApply&) = delete;

private:
    static constexpr unsigned capabilityBit(int capability) { return 1U << capability; }

    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};
