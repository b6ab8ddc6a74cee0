#include "plugin/HostInfo.h"

#include <string.h>

PluginStartupInfo HostInfo;

void TakeStartupInfo(const PluginStartupInfo* info) {
  memset(&HostInfo, 0, sizeof(HostInfo));
  if (info == nullptr || info->StructSize <= 0) return;
  size_t size = static_cast<size_t>(info->StructSize);
  if (size > sizeof(HostInfo)) size = sizeof(HostInfo);
  memcpy(&HostInfo, info, size);
}

const char* GetMsg(int msgId) {
  if (HostInfo.GetMsg == nullptr) return "";
  const char* text = HostInfo.GetMsg(HostInfo.ModuleNumber, msgId);
  return text != nullptr ? text : "";
}

int HostControl(HANDLE hPlugin, int command, void* param) {
  if (HostInfo.Control == nullptr) return 0;
  return HostInfo.Control(hPlugin, command, param);
}
