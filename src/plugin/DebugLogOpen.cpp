#include "plugin/DebugLog.h"
#include "plugin/Options.h"
#include "plugin/PathText.h"
#include "plugin/TextBuffer.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

void OpenDebugLog(const char* moduleName) {
  // The log lands beside the module; its name is relative, so the module's
  // folder is made current just long enough to create it.
  size_t pathLength = static_cast<size_t>(NameAfterPath(moduleName) - moduleName);
  char* logPath = static_cast<char*>(malloc(pathLength + 1));
  if (logPath == nullptr) return;
  CopyTextN(logPath, pathLength + 1, moduleName, pathLength);

  char savedDir[MAX_PATH];
  DWORD saved = GetCurrentDirectoryA(sizeof savedDir, savedDir);
  if (saved != 0 && saved < sizeof savedDir) {
    if (SetCurrentDirectoryA(logPath)) {
      FILE* file = fopen("melvox.log", "w");
      if (file != nullptr) {
        DebugLog.Attach(file);
        SYSTEMTIME now;
        GetLocalTime(&now);
        char timestamp[64];
        FormatLogTimestamp(timestamp, sizeof timestamp, now.wDayOfWeek, now.wMonth - 1, now.wDay,
                           now.wHour, now.wMinute, now.wSecond, now.wYear);
        char header[MAX_PATH + 200];
        FormatLogHeader(header, sizeof header, timestamp, logPath);
        DebugLog << header << LogFlush;
      }
      SetCurrentDirectoryA(savedDir);
    }
  }
  free(logPath);
}

void StartDebugLog(const char* moduleName) {
  if (Opt.LogFile != 0) OpenDebugLog(moduleName);
}
