// Numbers of the messages in the plug-in's language files. The list is in
// file order: entry n is the n-th quoted line of every .lng file, and a test
// checks that each file names the same entries in the same order (every
// message line is preceded by a "// <name>" comment line).
#pragma once

#define MELVOX_LANG_MESSAGES(X)                                                   \
  /* buttons and general texts */                                                \
  X(MOk) X(MCancel) X(MUnknownColumn) X(MGiveUp)                                 \
  /* menu entries */                                                             \
  X(MPlaylistPanel) X(MControlDialog)                                            \
  /* key-bar labels: F3, F4, F7, Ctrl+F10, Alt+F6 (F7's is also "delete tag") */ \
  X(MKeyStop) X(MKeyPause) X(MKeyRemove) X(MKeyCtrlF10) X(MKeyTags)              \
  /* wait and progress texts */                                                  \
  X(MWaitCheckingFiles) X(MWaitAddingFiles) X(MWaitWritingPlaylist)              \
  X(MWaitReadingPlaylist) X(MProgressTitles) X(MProgressFromCache)               \
  /* configuration menu entry and options dialog */                              \
  X(MConfigOptions) X(MOptTitle) X(MOptAddToDisksMenu) X(MOptDisksMenuDigit)     \
  X(MOptLogFile) X(MOptReadFileTitle) X(MOptAddDots) X(MOptToTmpPanel)           \
  X(MOptReadID3Tag) X(MOptNoWinAMPStartup) X(MOptLogRestart)                     \
  /* start-up notice and wait dialog */                                          \
  X(MStartingPlayer) X(MWaitTitle) X(MWaitLine1) X(MWaitLine2) X(MWaitLine3)     \
  X(MWaitSeconds)                                                                \
  /* removal confirmation */                                                     \
  X(MRemoveTitle) X(MRemoveLine1) X(MRemoveLine2) X(MRemoveLine3)                \
  /* Find File question */                                                       \
  X(MFindListQuestion) X(MFindListToTmpPanel)                                    \
  /* control dialog */                                                           \
  X(MCtlPrevious) X(MCtlPlay) X(MCtlPause) X(MCtlStop) X(MCtlNext)               \
  X(MCtlPlayerCommand) X(MCtlOpenFiles) X(MCtlForward) X(MCtlBack) X(MCtlStart)  \
  X(MCtlWait) X(MCtlStopped) X(MCtlPlaying) X(MCtlUnknown) X(MCtlPaused)         \
  /* information panel */                                                        \
  X(MInfoPluginVersion) X(MInfoPlayerVersion) X(MInfoStatus) X(MInfoListLength)  \
  X(MInfoPosition) X(MInfoSongLength) X(MInfoChannels) X(MInfoSampleRate)        \
  X(MInfoBitRate) X(MInfoStopped) X(MInfoPlaying) X(MInfoPaused)                 \
  X(MInfoUnknownStatus) X(MInfoMono) X(MInfoStereo)                              \
  /* view-mode menu */                                                           \
  X(MViewMenuTitle) X(MViewMode0) X(MViewMode1) X(MViewMode2) X(MViewMode3)      \
  X(MViewMode4) X(MViewMode5) X(MViewMode6) X(MViewMode7) X(MViewMode8)          \
  X(MViewMode9) X(MConfigViewModes)                                              \
  /* view-mode dialog */                                                         \
  X(MViewTitle) X(MViewColumnTypes) X(MViewColumnWidths)                         \
  X(MViewStatusColumnTypes) X(MViewStatusColumnWidths) X(MViewFullScreen)        \
  X(MViewAlignExtensions) X(MViewCaseConversion) X(MViewStartMode)               \
  /* tag editor */                                                               \
  X(MTagTitle) X(MTagSongTitle) X(MTagArtist) X(MTagAlbum) X(MTagYear)           \
  X(MTagComment) X(MTagGenre) X(MTagFile)                                        \
  /* save-playlist dialog */                                                     \
  X(MSaveTitle) X(MSaveFolder) X(MSaveName) X(MSaveAsPls) X(MSaveExtInfo)        \
  X(MSaveAppend) X(MSaveRemember) X(MWaitSavingPlaylist)                         \
  /* column titles: N S P D T DM DC DA A Z O LN C0..C5 */                        \
  X(MColName) X(MColSize) X(MColPacked) X(MColDate) X(MColTime)                  \
  X(MColModified) X(MColCreated) X(MColAccessed) X(MColAttributes)               \
  X(MColTitle) X(MColLength) X(MColNumber) X(MColTagTitle) X(MColTagArtist)      \
  X(MColTagAlbum) X(MColTagYear) X(MColTagComment) X(MColTagGenre)               \
  /* genres: their count, the text for none, then genre n at MGenreFirst + n */  \
  X(MGenreCount) X(MNoGenre) X(MGenreFirst)

enum LangMessage {
#define MELVOX_LANG_ENUM(name) name,
  MELVOX_LANG_MESSAGES(MELVOX_LANG_ENUM)
#undef MELVOX_LANG_ENUM
};

static_assert(MOptLogRestart == 27, "options dialog messages end at 27");
static_assert(MCtlOpenFiles == 46 && MCtlForward == 47 && MCtlStart == 49, "control buttons");
static_assert(MCtlPaused == 54, "control dialog messages end at 54");
static_assert(MInfoStereo == 69, "information messages end at 69");
static_assert(MConfigViewModes == 81 && MViewStartMode == 90, "view-mode messages");
static_assert(MTagFile == 98 && MWaitSavingPlaylist == 106, "tag and save messages");
static_assert(MColName == 107 && MColTagGenre == 124, "column titles");
static_assert(MGenreCount == 125 && MNoGenre == 126 && MGenreFirst == 127, "genre messages");

// The genre names the language files hold, MGenreFirst onward.
constexpr int kGenreNamesNumber = 148;

// Messages after the last genre name, in file order, for texts the numbered
// list above has no place for. New messages go at the end of this list (and
// of every .lng file, each under its "// <name>" comment line).
#define MELVOX_MORE_MESSAGES(X)                                                  \
  /* a file the plug-in was asked to change could not be written */            \
  X(MFileNotWritten)                                                             \
  /* the player's playlist changed under the panel */                          \
  X(MPlaylistChanged) X(MPlaylistShownAgain)                                     \
  /* files put onto the panel whose full names are too long */                 \
  X(MNamesTooLong)                                                               \
  /* saving the playlist: a path too long, a file to be replaced */            \
  X(MSavePathTooLong) X(MSaveFileExists) X(MSaveReplace)                         \
  /* tag editor: a song file it could not change or put back */                 \
  X(MTagNotChanged) X(MTagNotRestored)                                           \
  /* the player's playlist could not be rewritten from the panel */            \
  X(MPlaylistNotSent) X(MPlaylistNotSentLine2)                                   \
  /* a playlist that could not be saved, neither it nor the new one in place */ \
  X(MSaveOldKept) X(MSaveNewKept)

enum LangMoreMessage {
  MMoreBefore = MGenreFirst + kGenreNamesNumber - 1,
#define MELVOX_LANG_ENUM(name) name,
  MELVOX_MORE_MESSAGES(MELVOX_LANG_ENUM)
#undef MELVOX_LANG_ENUM
};

static_assert(MFileNotWritten == 275, "the messages after the genres start at 275");
