// The host services in direct-link mode: the test calls them as a plug-in would.
#include "FarHostGtest.h"
#include "TestFolder.h"

#include <stdexcept>

using farhost::DialogAnswer;
using farhost::Host;
using farhost::Options;
using hosttest::TestFolder;

namespace {

// Options whose failures are collected instead of failing the test.
Options Collecting(std::vector<std::string>* seen) {
  Options o;
  o.onFailure = [seen](const std::string& text) { seen->push_back(text); };
  return o;
}

bool Mentions(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& t : texts)
    if (t.find(part) != std::string::npos) return true;
  return false;
}

int ShowMessage(const PluginStartupInfo* info, std::vector<const char*> items, int buttons) {
  return info->Message(info->ModuleNumber, 0, nullptr, items.data(), static_cast<int>(items.size()), buttons);
}

}  // namespace

TEST(HostLanguage, ParsesMessagesInFileOrder) {
  struct Case {
    const char* text;
    bool found;
    const char* language;
    std::vector<std::string> messages;
  } cases[] = {
      {".Language=English,English\r\n\"One\"\r\n\"Two\"\r\n", true, "English", {"One", "Two"}},
      {"// comment\n.Language=Russian,Russian (x)\n\n.Options x\nMLabel\n\"A\"\n  \"indented\"\n\"\"\n", true,
       "Russian", {"A", ""}},
      {".Language=English\n\"keeps \\n and \\\\ as typed\"", true, "English", {"keeps \\n and \\\\ as typed"}},
      {"\"no language line\"\n", false, "", {"no language line"}},
  };
  for (const Case& c : cases) {
    std::string language;
    std::vector<std::string> messages;
    EXPECT_EQ(c.found, farhost::ParseLanguageFile(c.text, &language, &messages)) << c.text;
    EXPECT_EQ(c.language, language) << c.text;
    EXPECT_EQ(c.messages, messages) << c.text;
  }
}

TEST(HostLanguage, PicksTheFileOfTheLanguageAndMarksUnknownNumbers) {
  TestFolder folder;
  folder.Write("plugEng.lng", ".Language=English,English\n\"Hello\"\n\"Bye\"\n");
  folder.Write("plugRus.lng", ".Language=Russian,Russian\n\"Privet\"\n");
  struct Case {
    const char* language;
    const char* first;
  } cases[] = {{"Russian", "Privet"}, {"English", "Hello"}, {"German", "Hello"}};
  for (const Case& c : cases) {
    std::vector<std::string> seen;
    Options o = Collecting(&seen);
    o.moduleName = folder.Path() + "\\plug.dll";
    o.language = c.language;
    Host host(o);
    const PluginStartupInfo* info = host.StartupInfo();
    const char* first = info->GetMsg(info->ModuleNumber, 0);
    EXPECT_STREQ(c.first, first) << c.language;
    const char* missing = info->GetMsg(info->ModuleNumber, 999);
    EXPECT_STREQ("", missing);
    EXPECT_TRUE(Mentions(seen, "GetMsg 999"));
    info->GetMsg(info->ModuleNumber, 1);
    EXPECT_STREQ(c.first, first) << "texts stay put while the Host lives";
    EXPECT_EQ(3, host.CountCalls("GetMsg"));
  }
}

TEST(HostHelp, ParsesTopicNamesInFileOrder) {
  struct Case {
    const char* text;
    bool found;
    const char* language;
    std::vector<std::string> topics;
  } cases[] = {
      {".Language=English,English\r\n.PluginContents=X\r\n\r\n@Contents\r\n$ #X#\r\n@MELVOXWait \r\ntext @here\r\n",
       true, "English", {"Contents", "MELVOXWait"}},
      {".Language=Russian,Russian (x)\n@-\n@+\n@@literal\n@ spaced\n@Cfg\n", true, "Russian", {"Cfg"}},
      {"@Contents\n", false, "", {"Contents"}},
  };
  for (const Case& c : cases) {
    std::string language;
    std::vector<std::string> topics;
    EXPECT_EQ(c.found, farhost::ParseHelpFile(c.text, &language, &topics)) << c.text;
    EXPECT_EQ(c.language, language) << c.text;
    EXPECT_EQ(c.topics, topics) << c.text;
  }
}

// Help topics are looked up in the .hlf file of the host's language beside the
// module (English when there is none); .hlp files are never read.
TEST(HostHelp, NamedTopicsMustBeInTheHelpFileOfTheLanguage) {
  TestFolder folder;
  folder.Write("plugEng.hlf", ".Language=English,English\n@Contents\n@Wait\n");
  folder.Write("plugRus.hlf", ".Language=Russian,Russian\n@Contents\n@Ozhidanie\n");
  folder.Write("plugGer.hlp", ".Language=German,German\n@Warten\n");
  TestFolder empty;
  empty.Write("plug.hlp", ".Language=English,English\n@Wait\n");
  struct Case {
    std::string folder;
    const char* language;
    const char* topic;
    const char* failure;  // null: none
  } cases[] = {
      {folder.Path(), "English", "Wait", nullptr},
      {folder.Path(), "Russian", "Ozhidanie", nullptr},
      {folder.Path(), "Russian", "Wait", "Dialog names help topic \"Wait\", which plugRus.hlf lacks"},
      {folder.Path(), "German", "Wait", nullptr},
      {folder.Path(), "German", "Warten", "Dialog names help topic \"Warten\", which plugEng.hlf lacks"},
      {empty.Path(), "English", "Wait", "Dialog names help topic \"Wait\", but no .hlf help file lies beside"},
      {empty.Path(), "English", "", nullptr},
  };
  for (const Case& c : cases) {
    std::vector<std::string> seen;
    Options o = Collecting(&seen);
    o.moduleName = c.folder + "\\plug.dll";
    o.language = c.language;
    Host host(o);
    const PluginStartupInfo* info = host.StartupInfo();
    FarDialogItem item;
    memset(&item, 0, sizeof item);
    item.Type = DI_BUTTON;
    host.AnswerDialog(DialogAnswer().Press(0));
    info->Dialog(info->ModuleNumber, -1, -1, 20, 5, c.topic, &item, 1);
    if (c.failure) {
      ASSERT_EQ(1u, seen.size()) << c.language << " " << c.topic;
      EXPECT_EQ(0u, seen[0].find(c.failure)) << seen[0];
    } else {
      EXPECT_EQ(std::vector<std::string>{}, seen) << c.language << " " << c.topic;
    }
  }
}

TEST(HostStartup, RecordIsCompleteAndRegistryKeyIsPrivate) {
  std::string key;
  {
    Options o = farhost::GtestOptions();
    o.moduleName = "C:\\plugins\\melvox\\melvox.dll";
    Host host(o);
    const PluginStartupInfo* info = host.StartupInfo();
    EXPECT_EQ(static_cast<int>(sizeof(PluginStartupInfo)), info->StructSize);
    EXPECT_STREQ("C:\\plugins\\melvox\\melvox.dll", info->ModuleName);
    key = info->RootKey;
    EXPECT_EQ(0u, key.find("Software\\MelvoxTest\\"));
    // The plug-in's deepest settings key below RootKey must fit its 79 characters.
    EXPECT_LE(key.size() + strlen("\\Tessaryn Software\\MELVOX\\ViewModes\\Mode9"), 79u) << key;
    EXPECT_NE(nullptr, info->Menu);
    EXPECT_NE(nullptr, info->FreeDirList);
    EXPECT_THROW(Host second, std::logic_error);
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (key + "\\Sub").c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &k, nullptr));
    RegCloseKey(k);
  }
  HKEY k;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k))
      << "the test's key tree goes with the Host";
  Host next(farhost::GtestOptions());
  EXPECT_NE(key, next.RootKey());
}

// The 1.x host hands OEM names to the file APIs of the whole process; the
// ANSI ones come back with the Host's end. (Default locale: OEM 437, ANSI 1252.)
TEST(HostStartup, FileApisTakeOemNamesWhileThe1xHostLives) {
  TestFolder folder;
  {
    Host host(farhost::GtestOptions());
    EXPECT_FALSE(AreFileApisANSI());
    // Through the Win32 call: Wine's C runtime converts names as ANSI anyway.
    HANDLE file = CreateFileA(folder.File("\x81.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "u with diaeresis in OEM 437";
    CloseHandle(file);
  }
  EXPECT_TRUE(AreFileApisANSI());
  EXPECT_TRUE(TestFolder::Exists(folder.File("\xfc.txt"))) << "the same name in ANSI 1252";
  Options later = farhost::GtestOptions();
  later.laterHost = true;
  Host host(later);
  EXPECT_TRUE(AreFileApisANSI());
}

TEST(HostMessages, AnswersComeFromTheQueueInOrder) {
  Host host(farhost::GtestOptions());
  const PluginStartupInfo* info = host.StartupInfo();
  host.AnswerMessage(1);
  host.AnswerMessage(-1);
  EXPECT_EQ(1, ShowMessage(info, {"Title", "line", "Yes", "No"}, 2));
  EXPECT_EQ(-1, ShowMessage(info, {"Title", "Ok"}, 1));
  ASSERT_EQ(2u, host.Messages().size());
  const farhost::MessageRecord& m = host.Messages()[0];
  EXPECT_EQ("Title", m.title);
  EXPECT_EQ(std::vector<std::string>{"line"}, m.lines);
  EXPECT_EQ((std::vector<std::string>{"Yes", "No"}), m.buttons);
  EXPECT_EQ(1, m.result);
  EXPECT_EQ("Message\n"
            "+---- Title -----+\n"
            "|      line      |\n"
            "| [ Yes ] [ No ] |\n"
            "+----------------+\n",
            farhost::RenderMessage(m));
  EXPECT_HOST_BALANCED(host);
}

TEST(HostMessages, BoxWithoutButtonsStaysUntilItsScreenIsRestored) {
  for (bool later : {false, true}) {
    Options o = farhost::GtestOptions();
    o.laterHost = later;
    Host host(o);
    const PluginStartupInfo* info = host.StartupInfo();
    HANDLE screen = info->SaveScreen(0, 0, -1, -1);
    EXPECT_EQ(1, host.OpenScreens());
    EXPECT_EQ(later ? -1 : 0, ShowMessage(info, {"MELVOX", "Please wait"}, 0)) << "returns at once";
    EXPECT_NE(std::string::npos, host.RenderVisibleMessages().find("Please wait"));
    info->RestoreScreen(screen);
    EXPECT_EQ("", host.RenderVisibleMessages());
    EXPECT_EQ(0, host.OpenScreens());
    EXPECT_HOST_BALANCED(host);
  }
}

TEST(HostMessages, FaultsAreNamedAndNeverHang) {
  std::vector<std::string> seen;
  Host host(Collecting(&seen));
  const PluginStartupInfo* info = host.StartupInfo();
  EXPECT_EQ(-1, ShowMessage(info, {"Delete", "Sure?", "Yes", "No"}, 2));
  EXPECT_TRUE(Mentions(seen, "unexpected message box \"Delete\": no answer was scripted"));
  host.AnswerMenu(0);
  EXPECT_EQ(-1, ShowMessage(info, {"Copy", "Ok"}, 1));
  EXPECT_TRUE(Mentions(seen, "the next scripted answer is for a menu"));
  host.AnswerMessage(5);
  EXPECT_EQ(-1, ShowMessage(info, {"Copy", "Ok"}, 1)) << "menu answer still first";
  EXPECT_EQ(-1, ShowMessage(info, {"Only a title"}, 2));
  EXPECT_TRUE(Mentions(seen, "1 items and 2 buttons"));
  EXPECT_EQ(-1, info->Message(info->ModuleNumber + 1, 0, nullptr, nullptr, 0, 0));
  EXPECT_TRUE(Mentions(seen, "PluginNumber is not the ModuleNumber"));
  EXPECT_FALSE(host.CheckBalanced());
  EXPECT_TRUE(Mentions(seen, "scripted menu answer was never used"));
}

// The host writes back its whole state, on Esc too: what was typed and
// checked, masked texts as shown, the focus, bracketed button texts and the
// columns it gave centred items.
TEST(HostDialogs, AnswersAndDecorationsAreWrittenBackAsTheHostDoes) {
  TestFolder folder;
  folder.Write("plugEng.hlf", ".Language=English,English\n@Tags\n");
  for (bool later : {false, true}) {
    Options o = farhost::GtestOptions();
    o.moduleName = folder.Path() + "\\plug.dll";
    o.laterHost = later;
    Host host(o);
    const PluginStartupInfo* info = host.StartupInfo();
    FarDialogItem items[10];
    memset(items, 0, sizeof items);
    int types[10] = {DI_DOUBLEBOX, DI_EDIT,   DI_FIXEDIT, DI_CHECKBOX, DI_RADIOBUTTON,
                     DI_RADIOBUTTON, DI_BUTTON, DI_BUTTON,  DI_FIXEDIT,  DI_TEXT};
    for (int i = 0; i < 10; ++i) items[i].Type = types[i];
    strcpy(items[0].Data, "Tags");
    strcpy(items[1].Data, "old");
    items[1].Focus = 1;
    items[2].X1 = 10;
    items[2].X2 = 13;  // four characters wide
    items[3].Selected = 1;
    items[4].Flags = DIF_GROUP;
    items[4].Selected = 1;
    items[6].Flags = items[7].Flags = DIF_CENTERGROUP;
    items[6].Y1 = items[7].Y1 = 8;
    items[6].DefaultButton = 1;
    strcpy(items[6].Data, "&Ok");
    strcpy(items[7].Data, "Cancel");
    items[8].Flags = 0x01000000;  // masked
    items[8].Mask = "99:99";
    items[8].X1 = 10;
    items[8].X2 = 14;
    items[9].X1 = -1;
    strcpy(items[9].Data, "Centred");
    host.AnswerDialog(DialogAnswer().Type(1, "new title").Type(2, "2026-12").Type(8, "5678").Toggle(3).Check(5).Press(6));
    host.AnswerDialog(DialogAnswer().Type(1, "typed then Esc"));
    EXPECT_EQ(6, info->Dialog(info->ModuleNumber, -1, -1, 40, 10, "Tags", items, 10));
    EXPECT_STREQ("new title", items[1].Data);
    EXPECT_STREQ("2026", items[2].Data) << "a fixed field does not grow";
    EXPECT_EQ(0, items[3].Selected);
    EXPECT_EQ(0, items[4].Selected) << "picking a radio button clears its group";
    EXPECT_EQ(1, items[5].Selected);
    EXPECT_STREQ("56:78", items[8].Data) << "formatted by the mask";
    EXPECT_STREQ(later ? "{ &Ok }" : "[ &Ok ]", items[6].Data);
    EXPECT_STREQ("[ Cancel ]", items[7].Data);
    EXPECT_EQ(1, items[6].Focus) << "the focus moved to the closing button";
    EXPECT_EQ(0, items[1].Focus);
    // "{ Ok } [ Cancel ]" is 17 wide, centred in 40 columns; "Centred" likewise.
    EXPECT_EQ(11, items[6].X1);
    EXPECT_EQ(16, items[6].X2);
    EXPECT_EQ(18, items[7].X1);
    EXPECT_EQ(16, items[9].X1);
    EXPECT_EQ(22, items[9].X2);

    EXPECT_EQ(-1, info->Dialog(info->ModuleNumber, -1, -1, 40, 10, "Tags", items, 10));
    EXPECT_STREQ("typed then Esc", items[1].Data);
    EXPECT_STREQ(later ? "{ { &Ok } }" : "[ [ &Ok ] ]", items[6].Data) << "items shown again are decorated again";
    EXPECT_EQ(1, items[6].Focus) << "Esc leaves the focus where it was";
    ASSERT_EQ(2u, host.Dialogs().size());
    EXPECT_EQ("old", host.Dialogs()[0].shown[1].data);
    EXPECT_EQ("new title", host.Dialogs()[0].closed[1].data);
    std::string second = farhost::RenderDialog(host.Dialogs()[1]);
    EXPECT_NE(std::string::npos, second.find(later ? "{ { Ok } } [ [ Cancel ] ]" : "{ [ Ok ] } [ [ Cancel ] ]"))
        << second;
    EXPECT_HOST_BALANCED(host);
  }
}

// Texts of a DIF_CENTERGROUP row come back with the columns they were given,
// like the buttons of such a row.
TEST(HostDialogs, CentredGroupTextsComeBackPlaced) {
  TestFolder folder;
  folder.Write("plugEng.hlf", ".Language=English,English\n@Tags\n");
  Options o = farhost::GtestOptions();
  o.moduleName = folder.Path() + "\\plug.dll";
  Host host(o);
  const PluginStartupInfo* info = host.StartupInfo();
  FarDialogItem items[3];
  memset(items, 0, sizeof items);
  items[0].Type = DI_DOUBLEBOX;
  items[0].X2 = 39;
  items[0].Y2 = 5;
  for (int i : {1, 2}) {
    items[i].Type = DI_TEXT;
    items[i].Y1 = 2;
    items[i].Flags = DIF_CENTERGROUP | DIF_SETCOLOR | 0x7E;
  }
  strcpy(items[1].Data, "Song");
  strcpy(items[2].Data, "3:05");
  host.AnswerDialog(DialogAnswer());
  EXPECT_EQ(-1, info->Dialog(info->ModuleNumber, -1, -1, 40, 6, "Tags", items, 3));
  // "Song 3:05" is 9 wide, centred in 40 columns.
  EXPECT_EQ(15, items[1].X1);
  EXPECT_EQ(18, items[1].X2);
  EXPECT_EQ(20, items[2].X1);
  EXPECT_EQ(23, items[2].X2);
  EXPECT_STREQ("Song", items[1].Data);
  EXPECT_HOST_BALANCED(host);
}

TEST(HostDialogs, AnswersThatDoNotFitTheItemsFail) {
  std::vector<std::string> seen;
  Host host(Collecting(&seen));
  const PluginStartupInfo* info = host.StartupInfo();
  FarDialogItem items[2];
  memset(items, 0, sizeof items);
  items[0].Type = DI_TEXT;
  items[1].Type = DI_BUTTON;
  host.AnswerDialog(DialogAnswer().Type(0, "x").Toggle(1).Press(7));
  EXPECT_EQ(-1, info->Dialog(info->ModuleNumber, 0, 0, 20, 5, nullptr, items, 2));
  EXPECT_TRUE(Mentions(seen, "item 0 is not an edit field"));
  EXPECT_TRUE(Mentions(seen, "item 1 is not a check box"));
  EXPECT_TRUE(Mentions(seen, "scripted button 7 is not an item"));
}

TEST(HostMenus, ChoicesSeparatorsAndBreakKeys) {
  std::vector<std::string> seen;
  Host host(Collecting(&seen));
  const PluginStartupInfo* info = host.StartupInfo();
  FarMenuItem items[3];
  memset(items, 0, sizeof items);
  strcpy(items[0].Text, "&Play");
  items[1].Separator = 1;
  strcpy(items[2].Text, "Stop");
  int breakKeys[] = {VK_F4, VK_DELETE, 0};
  int code = 99;
  host.AnswerMenu(2);
  host.AnswerMenu(0, 1);
  host.AnswerMenu(1);
  EXPECT_EQ(2, info->Menu(info->ModuleNumber, -1, -1, 0, 0, "Player", nullptr, nullptr, breakKeys, &code, items, 3));
  EXPECT_EQ(-1, code);
  EXPECT_EQ(0, info->Menu(info->ModuleNumber, -1, -1, 0, 0, "Player", nullptr, nullptr, breakKeys, &code, items, 3));
  EXPECT_EQ(1, code);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(-1, info->Menu(info->ModuleNumber, -1, -1, 0, 0, "Player", nullptr, nullptr, nullptr, nullptr, items, 3));
  EXPECT_TRUE(Mentions(seen, "menu \"Player\": scripted item 1 cannot be chosen"));
  EXPECT_EQ("Menu\n+- Player -+\n|   Play   |\n|----------|\n|   Stop   |\n+----------+\n",
            farhost::RenderMenu(host.Menus()[0]));
}

TEST(HostScreens, EveryScreenIsRestoredExactlyOnce) {
  std::vector<std::string> seen;
  Host host(Collecting(&seen));
  const PluginStartupInfo* info = host.StartupInfo();
  HANDLE a = info->SaveScreen(0, 0, -1, -1);
  HANDLE b = info->SaveScreen(0, 0, 10, 5);
  EXPECT_NE(a, b);
  info->RestoreScreen(b);
  info->RestoreScreen(b);
  EXPECT_TRUE(Mentions(seen, "not a screen that SaveScreen returned, or restored already"));
  EXPECT_EQ(1, host.OpenScreens());
  EXPECT_FALSE(host.CheckBalanced());
  EXPECT_TRUE(Mentions(seen, "screen #1 saved by SaveScreen was never restored"));
}

TEST(HostDirLists, RecursiveRelativeToTheParentAndFreedOnce) {
  TestFolder folder;
  std::string music = folder.Mkdir("Music");
  folder.Mkdir("Music\\Live");
  folder.Write("Music\\a.mp3", "a");
  folder.Write("Music\\z.mp3", "z");
  folder.Write("Music\\Live\\b.mp3", "bb");
  std::vector<std::string> seen;
  Host host(Collecting(&seen));
  const PluginStartupInfo* info = host.StartupInfo();
  PluginPanelItem* items = nullptr;
  int n = -1;
  ASSERT_EQ(1, info->GetDirList((music + "\\").c_str(), &items, &n));
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back(items[i].FindData.cFileName);
  // The 1.x host's order: a folder's files, then each subfolder and its contents.
  EXPECT_EQ((std::vector<std::string>{"Music\\a.mp3", "Music\\z.mp3", "Music\\Live", "Music\\Live\\b.mp3"}),
            names);
  EXPECT_TRUE(items[2].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(2u, items[3].FindData.nFileSizeLow);
  EXPECT_EQ(1, host.OpenDirLists());
  info->FreeDirList(items);
  EXPECT_TRUE(seen.empty());
  info->FreeDirList(items);
  EXPECT_TRUE(Mentions(seen, "FreeDirList with a list that GetDirList did not return, or freed already"));
  EXPECT_EQ(0, info->GetDirList((folder.Path() + "\\none").c_str(), &items, &n));
  EXPECT_EQ(nullptr, items);
  EXPECT_EQ(0, n);
  // The user stops the host's scan: that one call fails.
  host.InterruptNextDirList();
  EXPECT_EQ(0, info->GetDirList(music.c_str(), &items, &n));
  EXPECT_EQ(nullptr, items);
  ASSERT_EQ(1, info->GetDirList(folder.Mkdir("Empty").c_str(), &items, &n));
  EXPECT_EQ(0, n);
  EXPECT_FALSE(host.CheckBalanced()) << "an empty list must be freed too";
  EXPECT_TRUE(Mentions(seen, "dir list of 0 items from GetDirList was never freed"));
}

TEST(HostChecks, DestructorReportsWhatNobodyChecked) {
  std::vector<std::string> seen;
  {
    Host host(Collecting(&seen));
    host.StartupInfo()->SaveScreen(0, 0, -1, -1);
    host.AnswerMessage(0);
  }
  EXPECT_TRUE(Mentions(seen, "never restored"));
  EXPECT_TRUE(Mentions(seen, "scripted message answer was never used"));
}

namespace direct {

const PluginStartupInfo* given = nullptr;
PluginPanelItem item;
int closed = 0;
bool failListing = false;

void WINAPI SetStartupInfo(const PluginStartupInfo* info) { given = info; }
HANDLE WINAPI OpenPlugin(int, INT_PTR) { return reinterpret_cast<HANDLE>(&item); }
void WINAPI ClosePlugin(HANDLE) { ++closed; }
int WINAPI GetFindData(HANDLE, PluginPanelItem** items, int* count, int) {
  if (failListing) return 0;
  memset(&item, 0, sizeof item);
  strcpy(item.FindData.cFileName, "one.mp3");
  *items = &item;
  *count = 1;
  return 1;
}
void WINAPI GetOpenPluginInfo(HANDLE, OpenPluginInfo* info) {
  EXPECT_EQ(0, info->StructSize) << "the plug-in sets StructSize";
  memset(info, 0, sizeof *info);
  info->StructSize = sizeof *info;
  info->PanelTitle = " Direct ";
}

// Fills only what it cares about, as a careless plug-in does, and announces
// the size its x64 build had when it packed the record to 2 bytes.
void WINAPI CarelessOpenPluginInfo(HANDLE, OpenPluginInfo* info) {
  info->StructSize = 104;
  info->Flags = 0;
  info->CurDir = "";
  info->Format = "";
  info->PanelTitle = " Careless ";
}

}  // namespace direct

TEST(HostChecks, RecordFieldsLeftAsTheHostsBytesFail) {
  std::vector<std::string> seen;
  {
    Host host(Collecting(&seen));
    farhost::Exports e;
    e.OpenPlugin = direct::OpenPlugin;
    e.ClosePlugin = direct::ClosePlugin;
    e.GetFindData = direct::GetFindData;
    e.GetOpenPluginInfo = direct::CarelessOpenPluginInfo;
    host.AttachPlugin(e);
    ASSERT_TRUE(host.OpenFromDisksMenu(0));
    EXPECT_EQ(" Careless ", host.RenderTitle()) << "the fields it set are read";
  }
  EXPECT_TRUE(Mentions(seen, "GetOpenPluginInfo left HostFile as the host's bytes"));
  EXPECT_TRUE(Mentions(seen, "GetOpenPluginInfo left KeyBar as the host's bytes"));
  EXPECT_FALSE(Mentions(seen, "left PanelTitle"));
  EXPECT_TRUE(Mentions(seen, "GetOpenPluginInfo: StructSize 104 is no record this host knows"));
  direct::closed = 0;
}

TEST(HostDirectLink, LinkedEntryPointsDriveTheFlows) {
  {
    Host host(farhost::GtestOptions());
    farhost::Exports e;
    e.SetStartupInfo = direct::SetStartupInfo;
    e.OpenPlugin = direct::OpenPlugin;
    e.ClosePlugin = direct::ClosePlugin;
    e.GetFindData = direct::GetFindData;
    e.GetOpenPluginInfo = direct::GetOpenPluginInfo;
    host.AttachPlugin(e);
    EXPECT_EQ(host.StartupInfo(), direct::given);
    ASSERT_TRUE(host.OpenFromDisksMenu(0));
    EXPECT_EQ(" Direct ", host.RenderTitle());
    ASSERT_EQ(1u, host.Rows().size()) << "no \"..\" without OPIF_ADDDOTS";
    EXPECT_EQ("one.mp3", host.Rows()[0].name);
    EXPECT_EQ(0, host.PressKey(VK_F3)) << "no ProcessKey: not handled";
  }
  EXPECT_EQ(1, direct::closed) << "the Host closes what is open when it dies";
  direct::failListing = true;
  {
    Host host(farhost::GtestOptions());
    farhost::Exports e;
    e.OpenPlugin = direct::OpenPlugin;
    e.ClosePlugin = direct::ClosePlugin;
    e.GetFindData = direct::GetFindData;
    host.AttachPlugin(e);
    EXPECT_FALSE(host.OpenFromDisksMenu(0)) << "a panel whose first listing fails is not shown";
    EXPECT_EQ(2, direct::closed);
  }
  direct::failListing = false;
}
