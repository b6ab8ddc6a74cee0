// The plug-in's options: fourteen 32-bit settings mirrored from the registry,
// read once at start-up and written back by the dialogs that change them.
#pragma once

struct Options {
  int ReadFileTitle;        // fetch song titles from the player for the panel
  int AddToDisksMenu;       // offer the panel in the host's disks menu
  int LogFile;              // debug log opened at start-up (value read at start-up)
  int AddDots;              // the panel shows ".."
  int ToTmpPanel;           // Find File results go to TmpPanel without asking
  int ReadID3Tag;           // ID3v1 tags fill the tag columns
  int NoWinAMPStartup;      // never start or wait for the player
  int UseHighLighting;      // host file highlighting (registry only)
  int UseAttrHighLighting;  // host attribute highlighting (registry only)
  int DisksMenuDigit;       // hotkey of the disks-menu entry, 0 = none
  int WaitTime;             // seconds to wait for the player, 5..99; 99 = keep waiting
  int StartPanelMode;       // character code of the start view mode, '0'..'9'
  int TitleColor;           // colour attribute of the control dialog's title lines
  int LastButton;           // item that closed the control dialog last
};

// The defaults that apply where the registry holds nothing.
constexpr Options kDefaultOptions = {
    /*ReadFileTitle*/ 1,  /*AddToDisksMenu*/ 1,      /*LogFile*/ 0,
    /*AddDots*/ 1,        /*ToTmpPanel*/ 0,          /*ReadID3Tag*/ 1,
    /*NoWinAMPStartup*/ 0, /*UseHighLighting*/ 0,    /*UseAttrHighLighting*/ 1,
    /*DisksMenuDigit*/ 4, /*WaitTime*/ 10,           /*StartPanelMode*/ '2',
    /*TitleColor*/ 126,   /*LastButton*/ 2,
};

extern Options Opt;
