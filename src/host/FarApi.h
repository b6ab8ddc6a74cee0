// Declarations of the host's 1.x plug-in interface: records, constants and
// service signatures, written for this plug-in from the published layout.
//
// Every record is packed to 2 bytes, as the host expects. The sizes asserted
// at the end are those of the 32-bit host, which the shipped DLL and, where
// the machine runs 32-bit programs, the tests under wine32 are built for; the
// 64-bit twin that the tests fall back to under wine64 elsewhere has wider
// pointers and so other sizes.
#pragma once

#include <windows.h>

#include <stddef.h>
#include <string.h>

#pragma pack(push, 2)

// --- Panel items ------------------------------------------------------------

// WIN32_FIND_DATAA's field list packed to 2 bytes (318 bytes, not 320).
struct FarFindData {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

struct PluginPanelItem {
  FarFindData FindData;
  DWORD PackSizeHigh;
  DWORD PackSize;
  DWORD Flags;
  DWORD NumberOfLinks;
  char* Description;
  char* Owner;
  char** CustomColumnData;
  int CustomColumnNumber;
  DWORD UserData;
  DWORD CRC32;
  DWORD Reserved[2];
};

enum : DWORD {
  PPIF_PROCESSDESCR = 0x80000000u,
  PPIF_SELECTED = 0x40000000u,
  PPIF_USERDATA = 0x20000000u,
};

// Copies the fields of a Win32 find record into the packed panel record.
inline void CopyFindData(FarFindData* to, const WIN32_FIND_DATAA& from) {
  to->dwFileAttributes = from.dwFileAttributes;
  to->ftCreationTime = from.ftCreationTime;
  to->ftLastAccessTime = from.ftLastAccessTime;
  to->ftLastWriteTime = from.ftLastWriteTime;
  to->nFileSizeHigh = from.nFileSizeHigh;
  to->nFileSizeLow = from.nFileSizeLow;
  to->dwReserved0 = from.dwReserved0;
  to->dwReserved1 = from.dwReserved1;
  static_assert(sizeof(to->cFileName) == sizeof(from.cFileName), "name sizes");
  static_assert(sizeof(to->cAlternateFileName) == sizeof(from.cAlternateFileName), "short name sizes");
  memcpy(to->cFileName, from.cFileName, sizeof(to->cFileName));
  memcpy(to->cAlternateFileName, from.cAlternateFileName, sizeof(to->cAlternateFileName));
}

// --- Dialogs and menus ------------------------------------------------------

enum FarDialogItemType {
  DI_TEXT = 0,
  DI_VTEXT = 1,
  DI_SINGLEBOX = 2,
  DI_DOUBLEBOX = 3,
  DI_EDIT = 4,
  DI_PSWEDIT = 5,
  DI_FIXEDIT = 6,
  DI_BUTTON = 7,
  DI_CHECKBOX = 8,
  DI_RADIOBUTTON = 9,
};

enum : DWORD {
  DIF_COLORMASK = 0xFF,
  DIF_SETCOLOR = 0x100,
  DIF_BOXCOLOR = 0x200,
  DIF_GROUP = 0x400,
  DIF_CENTERGROUP = 0x4000,
  DIF_NOBRACKETS = 0x8000,
  DIF_SEPARATOR = 0x10000,
  DIF_HISTORY = 0x40000,
};

struct FarDialogItem {
  int Type;
  int X1, Y1, X2, Y2;
  int Focus;
  union {
    int Selected;
    const char* History;
    const char* Mask;
    void* ListItems;
    int ListPos;
    void* VBuf;
  };
  DWORD Flags;
  int DefaultButton;
  char Data[512];
};

struct FarMenuItem {
  char Text[128];
  int Selected;
  int Checked;
  int Separator;
};

enum : DWORD {
  FMENU_SHOWAMPERSAND = 0x1,
  FMENU_WRAPMODE = 0x2,
  FMENU_AUTOHIGHLIGHT = 0x4,
};

enum : DWORD {
  FMSG_WARNING = 0x1,
  FMSG_ERRORTYPE = 0x2,
  FMSG_KEEPBACKGROUND = 0x4,
  FMSG_DOWN = 0x8,
  FMSG_LEFTALIGN = 0x10,
};

// --- Panel description ------------------------------------------------------

struct InfoPanelLine {
  char Text[80];
  char Data[80];
  int Separator;
};

struct PanelMode {
  char* ColumnTypes;
  char* ColumnWidths;
  char** ColumnTitles;
  int FullScreen;
  int DetailedStatus;
  int AlignExtensions;
  int CaseConversion;
  char* StatusColumnTypes;
  char* StatusColumnWidths;
  DWORD Reserved[2];
};

// The four label groups of a 1.x host. Later hosts append three more groups,
// read only when OpenPluginInfo announces the longer record.
struct KeyBarTitles {
  char* Titles[12];
  char* CtrlTitles[12];
  char* AltTitles[12];
  char* ShiftTitles[12];
};

enum : DWORD {
  OPIF_USEFILTER = 0x1,
  OPIF_USESORTGROUPS = 0x2,
  OPIF_USEHIGHLIGHTING = 0x4,
  OPIF_ADDDOTS = 0x8,
  OPIF_RAWSELECTION = 0x10,
  OPIF_REALNAMES = 0x20,
  OPIF_SHOWNAMESONLY = 0x40,
  OPIF_USEATTRHIGHLIGHTING = 0x8000,
};

struct OpenPluginInfo {
  int StructSize;
  DWORD Flags;
  const char* HostFile;
  const char* CurDir;
  const char* Format;
  const char* PanelTitle;
  const InfoPanelLine* InfoLines;
  int InfoLinesNumber;
  const char* const* DescrFiles;
  int DescrFilesNumber;
  const PanelMode* PanelModesArray;
  int PanelModesNumber;
  int StartPanelMode;
  int StartSortMode;
  int StartSortOrder;
  const KeyBarTitles* KeyBar;
  const char* ShortcutData;
};

enum {
  SM_DEFAULT = 0,
  SM_UNSORTED = 1,
  SM_NAME = 2,
  SM_EXT = 3,
  SM_MTIME = 4,
  SM_CTIME = 5,
  SM_ATIME = 6,
  SM_SIZE = 7,
  SM_DESCR = 8,
  SM_OWNER = 9,
  SM_COMPRESSEDSIZE = 10,
  SM_NUMLINKS = 11,
};

struct PluginInfo {
  int StructSize;
  DWORD Flags;
  const char* const* DiskMenuStrings;
  int* DiskMenuNumbers;
  int DiskMenuStringsNumber;
  const char* const* PluginMenuStrings;
  int PluginMenuStringsNumber;
  const char* const* PluginConfigStrings;
  int PluginConfigStringsNumber;
  const char* CommandPrefix;
};

enum : DWORD {
  PF_PRELOAD = 0x1,
  PF_DISABLEPANELS = 0x2,
  PF_EDITOR = 0x4,
  PF_VIEWER = 0x8,
};

// --- Panel state and control ------------------------------------------------

enum {
  PTYPE_FILEPANEL = 0,
  PTYPE_TREEPANEL = 1,
  PTYPE_QVIEWPANEL = 2,
  PTYPE_INFOPANEL = 3,
};

struct PanelInfo {
  int PanelType;
  int Plugin;
  RECT PanelRect;
  PluginPanelItem* PanelItems;
  int ItemsNumber;
  PluginPanelItem* SelectedItems;
  int SelectedItemsNumber;
  int CurrentItem;
  int TopPanelItem;
  int Visible;
  int Focus;
  int ViewMode;
  char ColumnTypes[80];
  char ColumnWidths[80];
  char CurDir[MAX_PATH];
  int ShortNames;
  int SortMode;
  DWORD Flags;
  DWORD Reserved;
};

struct PanelRedrawInfo {
  int CurrentItem;
  int TopPanelItem;
};

enum {
  FCTL_CLOSEPLUGIN = 0,
  FCTL_GETPANELINFO = 1,
  FCTL_GETANOTHERPANELINFO = 2,
  FCTL_UPDATEPANEL = 3,
  FCTL_UPDATEANOTHERPANEL = 4,
  FCTL_REDRAWPANEL = 5,
  FCTL_REDRAWANOTHERPANEL = 6,
  FCTL_SETANOTHERPANELDIR = 7,
  FCTL_GETCMDLINE = 8,
  FCTL_SETCMDLINE = 9,
  FCTL_SETSELECTION = 10,
};

// --- Opening, events and keys -----------------------------------------------

enum {
  OPEN_DISKMENU = 0,
  OPEN_PLUGINSMENU = 1,
  OPEN_FINDLIST = 2,
  OPEN_SHORTCUT = 3,
  OPEN_COMMANDLINE = 4,
  OPEN_EDITOR = 5,
  OPEN_VIEWER = 6,
};

enum {
  FE_CHANGEVIEWMODE = 0,
  FE_REDRAW = 1,
  FE_IDLE = 2,  // about once a second from the 1.x host; never from the later one
  FE_CLOSE = 3,
  FE_BREAK = 4,  // Ctrl+C
  FE_COMMAND = 5,
  FE_GOTFOCUS = 6,
  FE_KILLFOCUS = 7,
  // The later host also sends 8 to 10 (9 and 10 around every listing).
};

enum : unsigned {
  PKF_CONTROL = 1,
  PKF_ALT = 2,
  PKF_SHIFT = 4,
  // Both the 1.x and the later host announce every key once in advance with
  // this bit OR'd into Key (not the state): a notice, not the key itself.
  PKF_PREPROCESS = 0x80000,
};

// --- Host services ----------------------------------------------------------

typedef int(WINAPI* FARAPIMENU)(INT_PTR PluginNumber, int X, int Y, int MaxHeight, DWORD Flags,
                                const char* Title, const char* Bottom, const char* HelpTopic,
                                const int* BreakKeys, int* BreakCode, const FarMenuItem* Item,
                                int ItemsNumber);
typedef int(WINAPI* FARAPIDIALOG)(INT_PTR PluginNumber, int X1, int Y1, int X2, int Y2,
                                  const char* HelpTopic, FarDialogItem* Item, int ItemsNumber);
typedef int(WINAPI* FARAPIMESSAGE)(INT_PTR PluginNumber, DWORD Flags, const char* HelpTopic,
                                   const char* const* Items, int ItemsNumber, int ButtonsNumber);
typedef const char*(WINAPI* FARAPIGETMSG)(INT_PTR PluginNumber, int MsgId);
typedef int(WINAPI* FARAPICONTROL)(HANDLE hPlugin, int Command, void* Param);
typedef HANDLE(WINAPI* FARAPISAVESCREEN)(int X1, int Y1, int X2, int Y2);
typedef void(WINAPI* FARAPIRESTORESCREEN)(HANDLE hScreen);
typedef int(WINAPI* FARAPIGETDIRLIST)(const char* Dir, PluginPanelItem** pPanelItem,
                                      int* pItemsNumber);
typedef void(WINAPI* FARAPIFREEDIRLIST)(const PluginPanelItem* PanelItem);
// Services this plug-in never calls; only their slots in the record matter.
typedef void(WINAPI* FARAPIUNUSED)(void);

struct PluginStartupInfo {
  int StructSize;
  char ModuleName[MAX_PATH];
  INT_PTR ModuleNumber;
  const char* RootKey;
  FARAPIMENU Menu;
  FARAPIDIALOG Dialog;
  FARAPIMESSAGE Message;
  FARAPIGETMSG GetMsg;
  FARAPICONTROL Control;
  FARAPISAVESCREEN SaveScreen;
  FARAPIRESTORESCREEN RestoreScreen;
  FARAPIGETDIRLIST GetDirList;
  FARAPIUNUSED GetPluginDirList;
  FARAPIFREEDIRLIST FreeDirList;
  FARAPIUNUSED Viewer;
  FARAPIUNUSED Editor;
  FARAPIUNUSED CmpName;
  FARAPIUNUSED CharTable;
  FARAPIUNUSED Text;
  FARAPIUNUSED EditorControl;
  void* FSF;
  FARAPIUNUSED ShowHelp;
  FARAPIUNUSED AdvControl;
  FARAPIUNUSED InputBox;
  FARAPIUNUSED DialogEx;
  FARAPIUNUSED SendDlgMessage;
  FARAPIUNUSED DefDlgProc;
  DWORD Reserved;
  FARAPIUNUSED ViewerControl;
};

#pragma pack(pop)

// The host's 32-bit record sizes. The 64-bit test twin checks only the
// pointer-free records.
static_assert(sizeof(FarFindData) == 318, "FindData is 318 bytes");
static_assert(sizeof(InfoPanelLine) == 164, "InfoPanelLine is 164 bytes");
static_assert(sizeof(PanelRedrawInfo) == 8, "PanelRedrawInfo is 8 bytes");
static_assert(sizeof(FarMenuItem) == 140, "FarMenuItem is 140 bytes");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PluginPanelItem) == 366, "PluginPanelItem is 366 bytes");
static_assert(offsetof(PluginPanelItem, NumberOfLinks) == 330, "NumberOfLinks offset");
static_assert(offsetof(PluginPanelItem, CustomColumnNumber) == 346, "CustomColumnNumber offset");
static_assert(sizeof(PluginInfo) == 40, "PluginInfo is 40 bytes");
static_assert(sizeof(OpenPluginInfo) == 68, "OpenPluginInfo is 68 bytes");
static_assert(sizeof(PanelInfo) == 496, "PanelInfo is 496 bytes");
static_assert(offsetof(PanelInfo, CurDir) == 220, "PanelInfo.CurDir offset");
static_assert(sizeof(PanelMode) == 44, "PanelMode is 44 bytes");
static_assert(sizeof(KeyBarTitles) == 192, "KeyBarTitles is 192 bytes");
static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem is 548 bytes");
static_assert(offsetof(FarDialogItem, Data) == 36, "FarDialogItem.Data offset");
static_assert(sizeof(PluginStartupInfo) == 372, "PluginStartupInfo is 372 bytes");
#endif
