// The process-wide titles cache: song titles and length texts fetched from
// the player, kept in a hidden file beside the plug-in between runs. Loaded
// once at start-up, saved once at exit.
#pragma once

#include "panel/TitlesTable.h"

class TitlesCache : public TitlesTable {
 public:
  // Loads the cache file named after HostInfo.ModuleName.
  TitlesCache();
  // Loads the cache file named after moduleName (its last three characters
  // replaced by "fc0"). A missing, unreadable or empty file gives an empty
  // cache without any log line.
  explicit TitlesCache(const char* moduleName);
  // Saves (appends the added titles, or rewrites the file sorted when a title
  // was dropped or the file ended inside an entry; the file is not touched
  // when the cache is empty) and releases everything. A failed save is silent.
  ~TitlesCache();

  const char* CacheFile() const { return cacheFile_; }

 private:
  void Load();
  void Save();
  char* cacheFile_ = nullptr;  // owned
};

// The one cache of the plug-in; null when it could not be created, and then
// every user skips the cache. A title fetched from the player is kept with
// CacheTitle(TitlesCacheObject, ...) (TitlesTable.h), and the entry stores
// the texts that call returns.
extern TitlesCache* TitlesCacheObject;
