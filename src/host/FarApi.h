// Declarations of the host's 1.x plug-in interface: records, constants and
// service signatures, written for this plug-in from the published layout.
//
// Two ABIs, one declaration each record:
// - 32-bit hosts pack every record to 2 bytes (the panel's file record is
//   318 bytes, not WIN32_FIND_DATAA's 320).
// - 64-bit hosts keep the compiler's natural alignment; the fields that
//   carry a number or a pointer (ModuleNumber, UserData, the Reserved words
//   of the panel item, PanelInfo and PluginStartupInfo, the dialog item's
//   union) are pointer-sized there.
// The sizes and offsets asserted at the end are each host's own; a record
// laid out otherwise would have the host read every field after the first
// difference at the wrong place.
#pragma once

#include <windows.h>

#include <stddef.h>
#include <string.h>

#if !defined(_WIN64)
#pragma pack(push, 2)
#endif

// --- Panel items ------------------------------------------------------------

// WIN32_FIND_DATAA's field list: packed to 2 bytes in 32-bit hosts (318
// bytes), naturally aligned (320, WIN32_FIND_DATAA itself) in 64-bit ones.
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
  DWORD_PTR UserData;
  DWORD CRC32;
  DWORD_PTR Reserved[2];
};

enum : DWORD {
  PPIF_PROCESSDESCR = 0x80000000u,
  PPIF_SELECTED = 0x40000000u,
  PPIF_USERDATA = 0x20000000u,
};

// Copies the fields of one find record into another's but the names (the
// records differ in layout or in the width of their names).
template <typename To, typename From>
inline void CopyFindNumbers(To* to, const From& from) {
  to->dwFileAttributes = from.dwFileAttributes;
  to->ftCreationTime = from.ftCreationTime;
  to->ftLastAccessTime = from.ftLastAccessTime;
  to->ftLastWriteTime = from.ftLastWriteTime;
  to->nFileSizeHigh = from.nFileSizeHigh;
  to->nFileSizeLow = from.nFileSizeLow;
  to->dwReserved0 = from.dwReserved0;
  to->dwReserved1 = from.dwReserved1;
}

// Copies the fields of a Win32 find record into the panel record.
inline void CopyFindData(FarFindData* to, const WIN32_FIND_DATAA& from) {
  CopyFindNumbers(to, from);
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
    DWORD_PTR Reserved;  // the union's full width, for clearing it
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
  DWORD_PTR Reserved;
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
  DWORD_PTR Reserved;
  FARAPIUNUSED ViewerControl;
};

#if !defined(_WIN64)
#pragma pack(pop)
#endif

// Records this plug-in fills for the host are the 1.70 forms (PluginInfo
// without its trailing Reserved, OpenPluginInfo without the reserved
// pointer and with four key bar groups); StructSize tells the host so.

#define FARAPI_AT(Record, Field, Offset) \
  static_assert(offsetof(Record, Field) == (Offset), #Record "." #Field " offset")

static_assert(sizeof(InfoPanelLine) == 164, "InfoPanelLine is 164 bytes");
FARAPI_AT(InfoPanelLine, Data, 80);
FARAPI_AT(InfoPanelLine, Separator, 160);
static_assert(sizeof(PanelRedrawInfo) == 8, "PanelRedrawInfo is 8 bytes");
static_assert(sizeof(FarMenuItem) == 140, "FarMenuItem is 140 bytes");
FARAPI_AT(FarMenuItem, Selected, 128);
FARAPI_AT(FarMenuItem, Separator, 136);

#if defined(_WIN64)
static_assert(sizeof(FarFindData) == 320, "FindData is 320 bytes");
static_assert(sizeof(FarFindData) == sizeof(WIN32_FIND_DATAA), "FindData is WIN32_FIND_DATAA");
FARAPI_AT(FarFindData, cFileName, 44);
FARAPI_AT(FarFindData, cAlternateFileName, 304);
static_assert(sizeof(PluginPanelItem) == 400, "PluginPanelItem is 400 bytes");
FARAPI_AT(PluginPanelItem, PackSizeHigh, 320);
FARAPI_AT(PluginPanelItem, PackSize, 324);
FARAPI_AT(PluginPanelItem, Flags, 328);
FARAPI_AT(PluginPanelItem, NumberOfLinks, 332);
FARAPI_AT(PluginPanelItem, Description, 336);
FARAPI_AT(PluginPanelItem, Owner, 344);
FARAPI_AT(PluginPanelItem, CustomColumnData, 352);
FARAPI_AT(PluginPanelItem, CustomColumnNumber, 360);
FARAPI_AT(PluginPanelItem, UserData, 368);
FARAPI_AT(PluginPanelItem, CRC32, 376);
FARAPI_AT(PluginPanelItem, Reserved, 384);
static_assert(sizeof(PluginStartupInfo) == 480, "PluginStartupInfo is 480 bytes");
FARAPI_AT(PluginStartupInfo, ModuleName, 4);
FARAPI_AT(PluginStartupInfo, ModuleNumber, 264);
FARAPI_AT(PluginStartupInfo, RootKey, 272);
FARAPI_AT(PluginStartupInfo, Menu, 280);
FARAPI_AT(PluginStartupInfo, Dialog, 288);
FARAPI_AT(PluginStartupInfo, Message, 296);
FARAPI_AT(PluginStartupInfo, GetMsg, 304);
FARAPI_AT(PluginStartupInfo, Control, 312);
FARAPI_AT(PluginStartupInfo, SaveScreen, 320);
FARAPI_AT(PluginStartupInfo, RestoreScreen, 328);
FARAPI_AT(PluginStartupInfo, GetDirList, 336);
FARAPI_AT(PluginStartupInfo, FreeDirList, 352);
FARAPI_AT(PluginStartupInfo, FSF, 408);
FARAPI_AT(PluginStartupInfo, Reserved, 464);
FARAPI_AT(PluginStartupInfo, ViewerControl, 472);
static_assert(sizeof(PluginInfo) == 72, "PluginInfo (1.70 form) is 72 bytes");
FARAPI_AT(PluginInfo, Flags, 4);
FARAPI_AT(PluginInfo, DiskMenuStrings, 8);
FARAPI_AT(PluginInfo, DiskMenuNumbers, 16);
FARAPI_AT(PluginInfo, DiskMenuStringsNumber, 24);
FARAPI_AT(PluginInfo, PluginMenuStrings, 32);
FARAPI_AT(PluginInfo, PluginMenuStringsNumber, 40);
FARAPI_AT(PluginInfo, PluginConfigStrings, 48);
FARAPI_AT(PluginInfo, PluginConfigStringsNumber, 56);
FARAPI_AT(PluginInfo, CommandPrefix, 64);
static_assert(sizeof(OpenPluginInfo) == 112, "OpenPluginInfo (1.70 form) is 112 bytes");
FARAPI_AT(OpenPluginInfo, Flags, 4);
FARAPI_AT(OpenPluginInfo, HostFile, 8);
FARAPI_AT(OpenPluginInfo, CurDir, 16);
FARAPI_AT(OpenPluginInfo, Format, 24);
FARAPI_AT(OpenPluginInfo, PanelTitle, 32);
FARAPI_AT(OpenPluginInfo, InfoLines, 40);
FARAPI_AT(OpenPluginInfo, InfoLinesNumber, 48);
FARAPI_AT(OpenPluginInfo, DescrFiles, 56);
FARAPI_AT(OpenPluginInfo, DescrFilesNumber, 64);
FARAPI_AT(OpenPluginInfo, PanelModesArray, 72);
FARAPI_AT(OpenPluginInfo, PanelModesNumber, 80);
FARAPI_AT(OpenPluginInfo, StartPanelMode, 84);
FARAPI_AT(OpenPluginInfo, StartSortMode, 88);
FARAPI_AT(OpenPluginInfo, StartSortOrder, 92);
FARAPI_AT(OpenPluginInfo, KeyBar, 96);
FARAPI_AT(OpenPluginInfo, ShortcutData, 104);
static_assert(sizeof(PanelInfo) == 512, "PanelInfo is 512 bytes");
FARAPI_AT(PanelInfo, PanelRect, 8);
FARAPI_AT(PanelInfo, PanelItems, 24);
FARAPI_AT(PanelInfo, ItemsNumber, 32);
FARAPI_AT(PanelInfo, SelectedItems, 40);
FARAPI_AT(PanelInfo, SelectedItemsNumber, 48);
FARAPI_AT(PanelInfo, CurrentItem, 52);
FARAPI_AT(PanelInfo, TopPanelItem, 56);
FARAPI_AT(PanelInfo, Visible, 60);
FARAPI_AT(PanelInfo, Focus, 64);
FARAPI_AT(PanelInfo, ViewMode, 68);
FARAPI_AT(PanelInfo, ColumnTypes, 72);
FARAPI_AT(PanelInfo, ColumnWidths, 152);
FARAPI_AT(PanelInfo, CurDir, 232);
FARAPI_AT(PanelInfo, ShortNames, 492);
FARAPI_AT(PanelInfo, SortMode, 496);
FARAPI_AT(PanelInfo, Flags, 500);
FARAPI_AT(PanelInfo, Reserved, 504);
static_assert(sizeof(PanelMode) == 64, "PanelMode is 64 bytes");
FARAPI_AT(PanelMode, ColumnWidths, 8);
FARAPI_AT(PanelMode, ColumnTitles, 16);
FARAPI_AT(PanelMode, FullScreen, 24);
FARAPI_AT(PanelMode, DetailedStatus, 28);
FARAPI_AT(PanelMode, AlignExtensions, 32);
FARAPI_AT(PanelMode, CaseConversion, 36);
FARAPI_AT(PanelMode, StatusColumnTypes, 40);
FARAPI_AT(PanelMode, StatusColumnWidths, 48);
FARAPI_AT(PanelMode, Reserved, 56);
static_assert(sizeof(KeyBarTitles) == 384, "KeyBarTitles (four groups) is 384 bytes");
FARAPI_AT(KeyBarTitles, CtrlTitles, 96);
FARAPI_AT(KeyBarTitles, AltTitles, 192);
FARAPI_AT(KeyBarTitles, ShiftTitles, 288);
static_assert(sizeof(FarDialogItem) == 552, "FarDialogItem is 552 bytes");
FARAPI_AT(FarDialogItem, Focus, 20);
FARAPI_AT(FarDialogItem, Selected, 24);
FARAPI_AT(FarDialogItem, History, 24);
FARAPI_AT(FarDialogItem, Flags, 32);
FARAPI_AT(FarDialogItem, DefaultButton, 36);
FARAPI_AT(FarDialogItem, Data, 40);
#else
static_assert(sizeof(FarFindData) == 318, "FindData is 318 bytes");
FARAPI_AT(FarFindData, cFileName, 44);
FARAPI_AT(FarFindData, cAlternateFileName, 304);
static_assert(sizeof(PluginPanelItem) == 366, "PluginPanelItem is 366 bytes");
FARAPI_AT(PluginPanelItem, PackSizeHigh, 318);
FARAPI_AT(PluginPanelItem, Flags, 326);
FARAPI_AT(PluginPanelItem, NumberOfLinks, 330);
FARAPI_AT(PluginPanelItem, Description, 334);
FARAPI_AT(PluginPanelItem, Owner, 338);
FARAPI_AT(PluginPanelItem, CustomColumnData, 342);
FARAPI_AT(PluginPanelItem, CustomColumnNumber, 346);
FARAPI_AT(PluginPanelItem, UserData, 350);
FARAPI_AT(PluginPanelItem, CRC32, 354);
FARAPI_AT(PluginPanelItem, Reserved, 358);
static_assert(sizeof(PluginStartupInfo) == 372, "PluginStartupInfo is 372 bytes");
FARAPI_AT(PluginStartupInfo, ModuleNumber, 264);
FARAPI_AT(PluginStartupInfo, RootKey, 268);
FARAPI_AT(PluginStartupInfo, Menu, 272);
FARAPI_AT(PluginStartupInfo, FreeDirList, 308);
FARAPI_AT(PluginStartupInfo, Reserved, 364);
FARAPI_AT(PluginStartupInfo, ViewerControl, 368);
static_assert(sizeof(PluginInfo) == 40, "PluginInfo is 40 bytes");
FARAPI_AT(PluginInfo, DiskMenuStringsNumber, 16);
FARAPI_AT(PluginInfo, CommandPrefix, 36);
static_assert(sizeof(OpenPluginInfo) == 68, "OpenPluginInfo is 68 bytes");
FARAPI_AT(OpenPluginInfo, InfoLinesNumber, 28);
FARAPI_AT(OpenPluginInfo, KeyBar, 60);
FARAPI_AT(OpenPluginInfo, ShortcutData, 64);
static_assert(sizeof(PanelInfo) == 496, "PanelInfo is 496 bytes");
FARAPI_AT(PanelInfo, PanelItems, 24);
FARAPI_AT(PanelInfo, SelectedItems, 32);
FARAPI_AT(PanelInfo, CurrentItem, 40);
FARAPI_AT(PanelInfo, ColumnTypes, 60);
FARAPI_AT(PanelInfo, CurDir, 220);
FARAPI_AT(PanelInfo, Flags, 488);
static_assert(sizeof(PanelMode) == 44, "PanelMode is 44 bytes");
FARAPI_AT(PanelMode, StatusColumnTypes, 28);
static_assert(sizeof(KeyBarTitles) == 192, "KeyBarTitles is 192 bytes");
static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem is 548 bytes");
FARAPI_AT(FarDialogItem, Flags, 28);
FARAPI_AT(FarDialogItem, Data, 36);
#endif
#undef FARAPI_AT
