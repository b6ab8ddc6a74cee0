#include "panel/TitlesCache.h"

#include "plugin/DebugLog.h"
#include "plugin/HostInfo.h"
#include "plugin/ScopedHandles.h"

#include <stdlib.h>

TitlesCache* TitlesCacheObject = nullptr;

TitlesCache::TitlesCache() : TitlesCache(HostInfo.ModuleName) {}

TitlesCache::TitlesCache(const char* moduleName) {
  cacheFile_ = TitlesCacheFileName(moduleName ? moduleName : "");
  Load();
}

TitlesCache::~TitlesCache() {
  Save();
  Release();
  free(cacheFile_);
}

void TitlesCache::Load() {
  if (cacheFile_ == nullptr) return;
  ScopedFile file(CreateFileA(cacheFile_, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.IsOpen()) return;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0) return;
  DebugLog << "\nTitlesCache::TitlesCache: Opened files titles cache file, size="
           << static_cast<unsigned long>(size.QuadPart) << " bytes" << LogFlush;
  // Read straight into the block the loaded texts will live in: the entries
  // point into it until the cache is destroyed, so the file itself is not
  // held open or mapped.
  DWORD want = static_cast<DWORD>(size.QuadPart);
  unsigned char* buffer = size.QuadPart < 0x7FFFFFFF ? FileBuffer(want) : nullptr;
  DWORD got = 0;
  if (buffer != nullptr && ReadFile(file.Get(), buffer, want, &got, nullptr)) LoadFileBuffer(got);
  file.Close();
  SortTitles();
  DebugLog << "\nTitlesCache::TitlesCache: " << Count << " titles in cache" << LogFlush;
}

void TitlesCache::Save() {
  // A file that ended inside its only entry is rewritten (empty) even when
  // nothing is kept, rather than left damaged behind the next run's appends.
  if ((Count == 0 && Rewrite == 0) || cacheFile_ == nullptr) return;
  unsigned char* bytes = nullptr;
  size_t size = 0;
  bool fromStart = false;
  if (!SaveBytes(&bytes, &size, &fromStart)) return;
  ScopedFile file(CreateFileA(cacheFile_, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.IsOpen()) {
    LARGE_INTEGER zero = {};
    bool placed = SetFilePointerEx(file.Get(), zero, nullptr, fromStart ? FILE_BEGIN : FILE_END);
    DWORD put = 0;
    bool written = placed && (size == 0 || (size <= 0xFFFFFFFFu &&
                                            WriteFile(file.Get(), bytes, static_cast<DWORD>(size),
                                                      &put, nullptr) &&
                                            put == size));
    // Cut after what was written: a rewrite drops the old tail. A failed
    // write leaves the file as it was rather than cutting it short.
    if (written) SetEndOfFile(file.Get());
  }
  free(bytes);
}
