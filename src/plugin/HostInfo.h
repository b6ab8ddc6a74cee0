// The plug-in's copy of the host's service table, taken at start-up.
#pragma once

#include "host/FarApi.h"

extern PluginStartupInfo HostInfo;

// Copies at most Info->StructSize bytes of the host's record and zeroes the
// rest, so a host with a shorter record leaves the missing services null.
void TakeStartupInfo(const PluginStartupInfo* info);

// The text of a message of the plug-in's language file.
const char* GetMsg(int msgId);

// The host's Control service, or 0 when the host gave none.
int HostControl(HANDLE hPlugin, int command, void* param);
