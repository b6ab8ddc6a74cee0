// A wait message (named apart from the Win32 WaitMessage function): the whole screen saved, a host message box without buttons
// titled "MELVOX" with one language message, and the screen restored when the
// holder goes out of scope (on every path of the operation).
#pragma once

#include "plugin/HostInfo.h"

class ScopedWaitMessage {
 public:
  explicit ScopedWaitMessage(int msgId) {
    if (HostInfo.SaveScreen != nullptr) {
      screen_ = HostInfo.SaveScreen(0, 0, -1, -1);
      saved_ = true;
    }
    if (HostInfo.Message != nullptr) {
      const char* items[] = {"MELVOX", GetMsg(msgId)};
      HostInfo.Message(HostInfo.ModuleNumber, 0, nullptr, items, 2, 0);
    }
  }
  ~ScopedWaitMessage() { Remove(); }
  ScopedWaitMessage(const ScopedWaitMessage&) = delete;
  ScopedWaitMessage& operator=(const ScopedWaitMessage&) = delete;

  // Restores the screen now; later calls and the destructor do nothing.
  void Remove() {
    if (saved_ && HostInfo.RestoreScreen != nullptr) HostInfo.RestoreScreen(screen_);
    saved_ = false;
  }

 private:
  HANDLE screen_ = nullptr;
  bool saved_ = false;
};
