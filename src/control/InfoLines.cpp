#include "control/InfoLines.h"

#include "control/Marquee.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/TextBuffer.h"

#include <string.h>

InfoPanelLine InfoLines[kInfoLinesNumber];
KeyBarTitles KeyBar;
int InfoMarquee = 0;

namespace {

// The key bar lists twelve keys per group; F1 is index 0.
constexpr int kKeyF1 = 0, kKeyF2 = 1, kKeyF3 = 2, kKeyF4 = 3, kKeyF6 = 5, kKeyF7 = 6, kKeyF10 = 9;

// The host only reads the labels; the record's type asks for writable texts.
char* Label(int msgId) { return const_cast<char*>(GetMsg(msgId)); }

char kNoLabel[] = "";

}  // namespace

void FillFixedInfoTexts() {
  memset(InfoLines, 0, sizeof InfoLines);
  memset(&KeyBar, 0, sizeof KeyBar);

  InfoPanelLine& title = InfoLines[kInfoLineTitle];
  CopyText(title.Text, sizeof title.Text, kMarqueeText);
  title.Separator = 1;
  InfoPanelLine& version = InfoLines[kInfoLinePluginVersion];
  CopyText(version.Text, sizeof version.Text, GetMsg(MInfoPluginVersion));
  CopyText(version.Data, sizeof version.Data, MELVOX_VERSION_TEXT);
  for (int line = kInfoLineStatus; line < kInfoLinesNumber; ++line) {
    CopyText(InfoLines[line].Text, sizeof InfoLines[line].Text,
             GetMsg(MInfoStatus + (line - kInfoLineStatus)));
  }

  KeyBar.Titles[kKeyF3] = Label(MKeyStop);
  KeyBar.Titles[kKeyF4] = Label(MKeyPause);
  KeyBar.Titles[kKeyF7] = Label(MKeyRemove);
  KeyBar.CtrlTitles[kKeyF10] = Label(MKeyCtrlF10);
  KeyBar.AltTitles[kKeyF6] = Label(MKeyTags);
  // Shift+F1 to F3 are the plug-in's keys without a label of their own.
  KeyBar.ShiftTitles[kKeyF1] = kNoLabel;
  KeyBar.ShiftTitles[kKeyF2] = kNoLabel;
  KeyBar.ShiftTitles[kKeyF3] = kNoLabel;
}
