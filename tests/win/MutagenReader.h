// An independent ID3v1 reader for the Windows tests: mutagen, run by the
// Unix side's python3 (Wine starts it with "start /unix" and does not wait,
// so the script writes its answer to a file by a rename and the test polls).
#pragma once

#include "TempDir.h"

#include <windows.h>

#include <string>
#include <vector>

namespace mutagentest {

// The Unix path Wine maps a Windows path to; empty when this is not Wine.
inline std::string UnixPath(const std::string& windowsPath) {
  typedef char*(CDECL * ToUnix)(const WCHAR*);
  ToUnix toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return std::string();
  WCHAR wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH) == 0) return std::string();
  char* unix = toUnix(wide);
  if (unix == nullptr) return std::string();
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

inline bool Available() { return GetFileAttributesA("Z:\\usr\\bin\\python3") != INVALID_FILE_ATTRIBUTES; }

// One line per file as mutagen reads its ID3v1 tag:
// "title|artist|album|year|comment|genre|track" ("" for a frame it does not
// report), or "no tag". Texts are mutagen's Latin-1 reading, so each byte of
// a field comes back as that byte. Empty when mutagen could not be run.
inline std::vector<std::string> ReadTags(const std::vector<std::string>& files) {
  testkit::TempDir dir("mutagen");
  const std::string script = dir.File("read.py");
  const std::string answer = dir.File("answer.txt");
  testkit::WriteText(script,
                     "import os, sys\n"
                     "from mutagen.id3 import ParseID3v1\n"
                     "lines = []\n"
                     "for path in sys.argv[2:]:\n"
                     "    data = open(path, 'rb').read()\n"
                     "    tail = data[-128:]\n"
                     "    tags = ParseID3v1(tail) if len(data) >= 128 and tail[:3] == b'TAG' else None\n"
                     "    if tags is None:\n"
                     "        lines.append('no tag')\n"
                     "        continue\n"
                     "    keys = ('TIT2', 'TPE1', 'TALB', 'TDRC', 'COMM', 'TCON', 'TRCK')\n"
                     "    lines.append('|'.join(str(tags[k]) if k in tags else '' for k in keys))\n"
                     "with open(sys.argv[1] + '.part', 'w', encoding='latin-1', newline='\\n') as out:\n"
                     "    out.write(''.join(line + '\\n' for line in lines))\n"
                     "os.replace(sys.argv[1] + '.part', sys.argv[1])\n");
  std::string command = "start.exe /unix /usr/bin/python3 \"" + UnixPath(script) + "\" \"" +
                        UnixPath(answer) + "\"";
  for (const std::string& file : files) command += " \"" + UnixPath(file) + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return {};
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int waited = 0; waited < 30000 && !testkit::FileExists(answer); waited += 50) Sleep(50);
  std::string text = testkit::ReadText(answer);
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

}  // namespace mutagentest
