// A minimal stand-in for the host's services, enough for the dialog, wait and
// start-up code: numbered message texts, a scripted Dialog, and records of the
// Message boxes and screen saves. Installs itself into HostInfo for the life
// of the object and puts the previous table back afterwards.
#pragma once

#include "host/FarApi.h"
#include "plugin/HostInfo.h"

#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

class LinkFakeHost {
 public:
  // Answers one Dialog call: gets the items (may edit them), returns the result.
  using DialogScript = std::function<int(FarDialogItem* items, int count)>;

  struct DialogCall {
    int x1, y1, x2, y2;
    std::string help;
    std::vector<FarDialogItem> items;  // as the plug-in handed them in
    int openScreens;  // screens saved and not yet restored when the dialog ran
  };
  struct MessageCall {
    DWORD flags;
    std::vector<std::string> lines;
    int buttons;
    int openScreens;  // screens saved and not yet restored when the box was shown
  };

  LinkFakeHost() {
    saved_ = HostInfo;
    current_ = this;
    PluginStartupInfo info = {};
    info.StructSize = sizeof info;
    info.ModuleNumber = 77;
    info.RootKey = "Software\\MelvoxTest\\Unused";
    info.GetMsg = &GetMsgThunk;
    info.Dialog = &DialogThunk;
    info.Message = &MessageThunk;
    info.SaveScreen = &SaveScreenThunk;
    info.RestoreScreen = &RestoreScreenThunk;
    TakeStartupInfo(&info);
  }
  ~LinkFakeHost() {
    HostInfo = saved_;
    current_ = nullptr;
  }
  LinkFakeHost(const LinkFakeHost&) = delete;
  LinkFakeHost& operator=(const LinkFakeHost&) = delete;

  std::vector<DialogScript> dialogAnswers;  // used front to back; Esc when none left
  std::vector<DialogCall> dialogs;
  std::vector<MessageCall> messages;
  std::vector<INT_PTR> moduleNumbers;  // of every numbered call
  int saves = 0;
  int restores = 0;

 private:
  static const char* WINAPI GetMsgThunk(INT_PTR module, int id) {
    current_->moduleNumbers.push_back(module);
    static char text[64];
    snprintf(text, sizeof text, "msg%d", id);
    return text;
  }
  static int WINAPI DialogThunk(INT_PTR module, int x1, int y1, int x2, int y2, const char* help,
                                FarDialogItem* items, int count) {
    LinkFakeHost& self = *current_;
    self.moduleNumbers.push_back(module);
    self.dialogs.push_back(
        {x1, y1, x2, y2, help ? help : "", {items, items + count}, self.saves - self.restores});
    if (self.dialogAnswers.empty()) return -1;
    DialogScript script = self.dialogAnswers.front();
    self.dialogAnswers.erase(self.dialogAnswers.begin());
    return script(items, count);
  }
  static int WINAPI MessageThunk(INT_PTR module, DWORD flags, const char*,
                                 const char* const* lines, int count, int buttons) {
    LinkFakeHost& self = *current_;
    self.moduleNumbers.push_back(module);
    MessageCall call{flags, {}, buttons, self.saves - self.restores};
    for (int i = 0; i < count; ++i) call.lines.push_back(lines[i] ? lines[i] : "<null>");
    self.messages.push_back(call);
    return -1;
  }
  static HANDLE WINAPI SaveScreenThunk(int, int, int, int) {
    ++current_->saves;
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5000 + current_->saves));
  }
  static void WINAPI RestoreScreenThunk(HANDLE) { ++current_->restores; }

  PluginStartupInfo saved_;
  static inline LinkFakeHost* current_ = nullptr;
};
