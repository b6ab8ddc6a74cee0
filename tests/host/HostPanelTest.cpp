// The panel rules a plug-in sees, driven through the test plug-in DLL.
#include "FarHostGtest.h"
#include "TestFolder.h"

using farhost::Host;
using farhost::Options;
using farhost::PassivePanel;
using farhost::Side;
using hosttest::TestFolder;

namespace {

class HostPanel : public ::testing::Test {
 protected:
  void Start(Options o = farhost::GtestOptions()) {
    o.screenHeight = 12;
    host_.reset(new Host(o));
    ASSERT_TRUE(host_->LoadPlugin(hosttest::TestPluginDll())) << host_->FailureText();
  }
  void SetUp() override { Start(); }
  void TearDown() override {
    if (host_ && !expectFaults_) {
      EXPECT_HOST_BALANCED(*host_);
    }
    host_.reset();
  }

  PanelInfo Info(int command = FCTL_GETPANELINFO) {
    PanelInfo pi;
    memset(&pi, 0xCD, sizeof pi);
    EXPECT_EQ(1, host_->StartupInfo()->Control(INVALID_HANDLE_VALUE, command, &pi));
    return pi;
  }

  std::vector<std::string> SelectedNames() {
    PanelInfo pi = Info();
    std::vector<std::string> names;
    for (int i = 0; i < pi.SelectedItemsNumber; ++i)
      names.push_back(std::string(pi.SelectedItems[i].FindData.cFileName) +
                      ((pi.SelectedItems[i].Flags & PPIF_SELECTED) ? "+" : ""));
    return names;
  }

  std::vector<std::string> RowNames() {
    std::vector<std::string> names;
    for (const farhost::PanelRow& r : host_->Rows()) names.push_back(r.name);
    return names;
  }

  std::unique_ptr<Host> host_;
  bool expectFaults_ = false;
};

}  // namespace

TEST_F(HostPanel, DotsComeFirstAndAreTheHostsOwnRecord) {
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  PanelInfo pi = Info();
  EXPECT_EQ(PTYPE_FILEPANEL, pi.PanelType);
  EXPECT_EQ(1, pi.Plugin);
  ASSERT_EQ(4, pi.ItemsNumber);
  EXPECT_STREQ("..", pi.PanelItems[0].FindData.cFileName);
  EXPECT_TRUE(pi.PanelItems[0].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(nullptr, pi.PanelItems[0].Description);
  EXPECT_EQ(0u, pi.PanelItems[0].NumberOfLinks) << "as the real hosts give it";
  EXPECT_STREQ("ALPHA.MP3", pi.PanelItems[1].FindData.cAlternateFileName) << "the host's own short name";
  EXPECT_STREQ("C:\\songs\\alpha.mp3", pi.PanelItems[1].FindData.cFileName) << "full path kept";
  EXPECT_EQ(1u, pi.PanelItems[1].NumberOfLinks);
  EXPECT_STREQ("First", pi.PanelItems[1].Description);
  ASSERT_EQ(1, pi.PanelItems[3].CustomColumnNumber);
  EXPECT_STREQ("file", pi.PanelItems[3].CustomColumnData[0]);
  EXPECT_EQ(0, pi.CurrentItem);
  EXPECT_EQ(1, pi.ViewMode) << "StartPanelMode '1'";
  EXPECT_EQ(SM_UNSORTED, pi.SortMode);
  EXPECT_STREQ("LN,NO,Z", pi.ColumnTypes);
  EXPECT_EQ(1, pi.Focus);
  EXPECT_EQ(0, pi.PanelRect.left);
  EXPECT_EQ(39, pi.PanelRect.right);
  EXPECT_GE(host_->CountCalls("GetOpenPluginInfo"), 1);
}

TEST_F(HostPanel, SelectedItemsFollowSelectionThenCursor) {
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  EXPECT_EQ(std::vector<std::string>{}, SelectedNames()) << "cursor on \"..\", nothing selected";
  host_->SetCursor(2);
  EXPECT_EQ(std::vector<std::string>{"C:\\songs\\beta.mp3"}, SelectedNames()) << "the cursor item, flags 0";
  host_->Select(1);
  host_->Select(3);
  host_->Select(0);  // ".." cannot be selected
  EXPECT_EQ((std::vector<std::string>{"C:\\songs\\alpha.mp3+", "C:\\songs\\gamma.mp3+"}), SelectedNames());
  host_->SetCursor(0);
  EXPECT_EQ(2u, SelectedNames().size()) << "with a selection the cursor does not matter";
  PanelInfo pi = Info();
  EXPECT_EQ(0u, pi.PanelItems[2].Flags & PPIF_SELECTED);
  EXPECT_NE(0u, pi.PanelItems[3].Flags & PPIF_SELECTED);
}

TEST_F(HostPanel, UpdateKeepsTheSelectionOnlyWithParam) {
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  host_->Select(2);
  const PluginStartupInfo* info = host_->StartupInfo();
  int listings = host_->CountCalls("GetFindData");
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, reinterpret_cast<void*>(1)));
  EXPECT_EQ(listings + 1, host_->CountCalls("GetFindData"));
  EXPECT_EQ(std::vector<std::string>{"C:\\songs\\beta.mp3+"}, SelectedNames());
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr));
  EXPECT_EQ(std::vector<std::string>{}, SelectedNames());

  PanelInfo pi = Info();
  pi.PanelItems[1].Flags |= PPIF_SELECTED;
  pi.PanelItems[0].Flags |= PPIF_SELECTED;
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &pi));
  EXPECT_EQ(std::vector<std::string>{"C:\\songs\\alpha.mp3+"}, SelectedNames());
}

TEST_F(HostPanel, RedrawSendsExactlyOneRedrawEventAndMovesTheCursor) {
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  const PluginStartupInfo* info = host_->StartupInfo();
  host_->ClearRecords();
  PanelRedrawInfo r = {3, 0};
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &r));
  EXPECT_EQ(1, host_->CountCalls("ProcessEvent", "FE_REDRAW"));
  EXPECT_EQ(3, host_->Cursor());
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr));
  EXPECT_EQ(2, host_->CountCalls("ProcessEvent", "FE_REDRAW"));
  host_->SetCursor(1);
  EXPECT_EQ(3, host_->CountCalls("ProcessEvent", "FE_REDRAW"));
  r.CurrentItem = 99;
  info->Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &r);
  EXPECT_EQ(3, host_->Cursor()) << "clamped to the last item";
}

TEST_F(HostPanel, SortAndFilterKeepDotsFirst) {
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  host_->SetSort(SM_DESCR, true);
  EXPECT_EQ((std::vector<std::string>{"..", "C:\\songs\\gamma.mp3", "C:\\songs\\beta.mp3", "C:\\songs\\alpha.mp3"}),
            RowNames());
  EXPECT_EQ(std::string("C:\\songs\\gamma.mp3"), Info().PanelItems[1].FindData.cFileName) << "display order";
  host_->SetFilter("b*;*.txt");
  EXPECT_EQ((std::vector<std::string>{"..", "C:\\songs\\beta.mp3"}), RowNames());
  host_->SetFilter("");
  host_->SetSort(SM_UNSORTED);
  EXPECT_EQ("C:\\songs\\alpha.mp3", RowNames()[1]);
}

TEST_F(HostPanel, PassivePanelKinds) {
  TestFolder folder;
  folder.Write("one.txt", "1");
  folder.Mkdir("sub");
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  host_->SetPassivePanel({PassivePanel::Info, ""});
  EXPECT_EQ(PTYPE_INFOPANEL, Info(FCTL_GETANOTHERPANELINFO).PanelType);
  host_->SetPassivePanel({PassivePanel::QuickView, ""});
  EXPECT_EQ(PTYPE_QVIEWPANEL, Info(FCTL_GETANOTHERPANELINFO).PanelType);
  host_->SetPassivePanel({PassivePanel::Files, folder.Path()});
  PanelInfo other = Info(FCTL_GETANOTHERPANELINFO);
  EXPECT_EQ(PTYPE_FILEPANEL, other.PanelType);
  EXPECT_EQ(0, other.Plugin);
  EXPECT_EQ(0, other.Focus);
  EXPECT_EQ(folder.Path(), other.CurDir);
  ASSERT_EQ(3, other.ItemsNumber);
  EXPECT_STREQ("..", other.PanelItems[0].FindData.cFileName);
  EXPECT_STREQ("sub", other.PanelItems[1].FindData.cFileName) << "folders first";
  EXPECT_STREQ("one.txt", other.PanelItems[2].FindData.cFileName);
}

TEST_F(HostPanel, ClosePluginWaitsUntilThePluginReturns) {
  TestFolder folder;
  folder.Write("a.mp3", "a");
  ASSERT_TRUE(host_->OpenFromCommandLine(folder.Path()));
  host_->ClearRecords();
  EXPECT_EQ(1, host_->PressKey('Q'));
  EXPECT_FALSE(host_->IsPluginPanel());
  std::vector<std::string> order;
  for (const farhost::Call& c : host_->Calls())
    if (c.name != "GetMsg") order.push_back(c.name + (c.name == "ProcessEvent" ? " " + c.detail : ""));
  EXPECT_EQ((std::vector<std::string>{"ProcessKey", "ProcessKey", "Control", "ProcessEvent FE_CLOSE", "ClosePlugin"}),
            order)
      << "no \"no key\" reaches the closed instance";
  EXPECT_EQ(folder.Path(), host_->RenderTitle());
  EXPECT_EQ(0, host_->PressKey(VK_F3)) << "keys no longer reach the closed instance";
}

// The later host destroys the instance inside FCTL_CLOSEPLUGIN: what the
// plug-in does afterwards in that call is caught, as is every later use of
// the handle in either host.
TEST_F(HostPanel, TouchingAClosedInstanceIsCaught) {
  for (bool later : {false, true}) {
    std::vector<std::string> seen;
    Options o;
    o.laterHost = later;
    o.onFailure = [&seen](const std::string& text) { seen.push_back(text); };
    host_.reset();
    Start(o);
    expectFaults_ = true;
    ASSERT_TRUE(host_->OpenFromDisksMenu(0));
    HANDLE closed = host_->PluginHandle();
    EXPECT_EQ(1, host_->PressKey('X'));
    EXPECT_FALSE(host_->IsPluginPanel());
    if (later) {
      ASSERT_EQ(1u, seen.size());
      EXPECT_EQ("GetMsg called from ProcessKey of an instance that was closed during that call", seen[0]);
    } else {
      EXPECT_EQ(std::vector<std::string>{}, seen) << "the 1.x host closes once the plug-in has returned";
    }
    seen.clear();
    PanelInfo pi;
    EXPECT_EQ(0, host_->StartupInfo()->Control(closed, FCTL_GETPANELINFO, &pi));
    EXPECT_EQ(std::vector<std::string>{"Control FCTL_GETPANELINFO with the handle of an instance that ClosePlugin closed"},
              seen);
  }
}

TEST_F(HostPanel, CopyOntoThePanelGivesBareNamesFromTheSourceFolder) {
  TestFolder folder;
  std::string song = folder.Write("x.mp3", "xyz");
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  host_->AnswerMessage(0);
  EXPECT_EQ(1, host_->CopyToPanel({song, folder.Path() + "\\.."}));
  ASSERT_EQ(6u, host_->Rows().size());
  EXPECT_EQ(song, host_->Rows()[4].name) << "bare name, current folder = source folder";
  EXPECT_EQ(folder.Path() + "\\..", host_->Rows()[5].name);
  EXPECT_TRUE(host_->Rows()[5].attributes & FILE_ATTRIBUTE_DIRECTORY);
  host_->AnswerMessage(1);  // Cancel in the host's copy dialog
  EXPECT_EQ(0, host_->CopyToPanel({song}));
  EXPECT_EQ(6u, host_->Rows().size());
}

TEST_F(HostPanel, FindListFileAndMenuOpenings) {
  TestFolder folder;
  std::string a = folder.Write("a.mp3", "a");
  std::string list = folder.Write("list.tpl", "TPL\nsong1\nsong2\n");
  std::string other = folder.Write("other.txt", "nothing");
  host_->AnswerMessage(0);  // the plug-in's question: show the list in its own panel
  ASSERT_TRUE(host_->OpenFindList({a, folder.Path() + "\\missing.mp3"}));
  EXPECT_EQ((std::vector<std::string>{"..", a}), RowNames());
  ASSERT_TRUE(host_->OpenFile(list));
  EXPECT_EQ((std::vector<std::string>{"..", "song1", "song2"}), RowNames());
  EXPECT_EQ(1, host_->CountCalls("ClosePlugin")) << "the find-list panel made way";
  EXPECT_FALSE(host_->OpenFile(other));
  EXPECT_TRUE(host_->IsPluginPanel()) << "a file the plug-in refuses changes nothing";
  host_->AnswerMessage(0);
  EXPECT_FALSE(host_->OpenFromPluginsMenu(1)) << "the control entry opens no panel";
  EXPECT_EQ(FMSG_WARNING, host_->Messages().back().flags);
  host_->AnswerMenu(1, 0);
  EXPECT_FALSE(host_->Configure(0)) << "left with a break key";
}

TEST_F(HostPanel, HostDeletesRealFilesWhenThePluginLeavesF8) {
  TestFolder folder;
  std::string a = folder.Write("a.mp3", "a");
  std::string b = folder.Write("b.mp3", "b");
  ASSERT_TRUE(host_->OpenFromCommandLine(folder.Path()));
  host_->SetCursorByName("b.mp3");
  host_->AnswerMessage(0);
  EXPECT_EQ(1, host_->DeleteSelected());
  EXPECT_FALSE(TestFolder::Exists(b));
  EXPECT_TRUE(TestFolder::Exists(a));
  EXPECT_EQ((std::vector<std::string>{"..", a}), RowNames()) << "listed again";
  EXPECT_TRUE(host_->Messages().back().fromHost);
}

TEST_F(HostPanel, IdleLetsThePluginRefreshKeepingTheSelection) {
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  host_->Select(1);
  host_->ClearRecords();
  host_->Idle();
  EXPECT_EQ(1, host_->CountCalls("ProcessEvent", "FE_IDLE"));
  EXPECT_EQ(1, host_->CountCalls("ProcessEvent", "FE_REDRAW"));
  EXPECT_EQ(1, host_->CountCalls("Control", "FCTL_UPDATEPANEL keep-selection"));
  EXPECT_EQ(std::vector<std::string>{"C:\\songs\\alpha.mp3+"}, SelectedNames());
  EXPECT_NE(std::string::npos, host_->RenderInfoPanel().find("Busy"));
}

TEST_F(HostPanel, EveryKeyComesTwiceAndTheLaterHostSendsNoNoKey) {
  struct Case {
    bool later;
    int vk;
    unsigned state;
    std::vector<std::string> keys;
  } cases[] = {
      {false, VK_F3, 0, {"0x80072 state=0", "0x72 state=0", "0x81001 state=0", "0x1001 state=0"}},
      {false, 'R', PKF_CONTROL,
       {"0x81001 state=0", "0x1001 state=0", "0x80052 state=1", "0x52 state=1", "0x81001 state=0",
        "0x1001 state=0"}},
      {false, 'L', PKF_CONTROL, {"0x81001 state=0", "0x1001 state=0", "0x8004c state=1", "0x81001 state=0",
                                 "0x1001 state=0"}},
      {false, VK_F1, PKF_CONTROL, {"0x81001 state=0", "0x1001 state=0", "0x81001 state=0", "0x1001 state=0"}},
      {true, VK_F3, 0, {"0x80072 state=0", "0x72 state=0"}},
      {true, VK_TAB, 0, {"0x80009 state=0"}},
  };
  for (const Case& c : cases) {
    Options o = farhost::GtestOptions();
    o.laterHost = c.later;
    host_.reset();
    Start(o);
    ASSERT_TRUE(host_->OpenFromDisksMenu(0));
    host_->ClearRecords();
    if (c.vk == VK_F3) host_->AnswerMessage(0);
    host_->PressKey(c.vk, c.state);
    std::vector<std::string> keys;
    for (const farhost::Call& call : host_->Calls())
      if (call.name == "ProcessKey") keys.push_back(call.detail);
    EXPECT_EQ(c.keys, keys) << c.later << " " << c.vk;
    EXPECT_EQ(c.vk == VK_F3 ? 1u : 0u, host_->Messages().size()) << "the plug-in acts once per key";
  }
}

TEST_F(HostPanel, PluginFaultsFailTheTestThatCausedThem) {
  std::vector<std::string> seen;
  Options o;
  o.onFailure = [&seen](const std::string& text) { seen.push_back(text); };
  host_.reset();
  Start(o);
  expectFaults_ = true;
  TestFolder folder;
  folder.Write("a.mp3", "a");
  ASSERT_TRUE(host_->OpenFromCommandLine(folder.Path()));
  host_->PressKey(VK_F3);
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("unexpected message box \"Play\": no answer was scripted", seen[0]);
  host_->PressKey('U');
  host_->AnswerMessage(0);
  host_->PressKey('K');
  EXPECT_EQ(1, host_->OpenScreens());
  EXPECT_EQ(1, host_->OpenDirLists());
  PanelInfo pi;
  EXPECT_EQ(0, host_->StartupInfo()->Control(reinterpret_cast<HANDLE>(0x1234), FCTL_GETPANELINFO, &pi));
  EXPECT_EQ("Control FCTL_GETPANELINFO with a handle that is no open plug-in panel", seen.back());
  EXPECT_FALSE(host_->CheckBalanced());
  EXPECT_NE(std::string::npos, host_->FailureText().find("saved by SaveScreen was never restored"));
  EXPECT_NE(std::string::npos, host_->FailureText().find("never freed with FreeDirList"));
}

TEST_F(HostPanel, BalancedPluginPassesTheChecks) {
  TestFolder folder;
  folder.Mkdir("sub");
  folder.Write("sub\\a.mp3", "a");
  ASSERT_TRUE(host_->OpenFromCommandLine(folder.Path()));
  host_->PressKey('W');
  host_->AnswerMessage(0);
  host_->PressKey('L');
  ASSERT_FALSE(host_->Messages().empty());
  std::string base = folder.Path().substr(folder.Path().find_last_of('\\') + 1);
  EXPECT_EQ((std::vector<std::string>{base + "\\sub", base + "\\sub\\a.mp3"}), host_->Messages().back().lines);
}

TEST_F(HostPanel, TwoPluginPanelsSeeEachOther) {
  TestFolder folder;
  folder.Write("a.mp3", "a");
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  HANDLE left = host_->PluginHandle();
  host_->SwitchPanels();
  ASSERT_TRUE(host_->OpenFromCommandLine(folder.Path()));
  EXPECT_NE(left, host_->PluginHandle());
  const PluginStartupInfo* info = host_->StartupInfo();
  PanelInfo self, other;
  ASSERT_EQ(1, info->Control(left, FCTL_GETPANELINFO, &self));
  ASSERT_EQ(1, info->Control(left, FCTL_GETANOTHERPANELINFO, &other));
  EXPECT_EQ(0, self.Focus);
  EXPECT_EQ(1, other.Focus);
  EXPECT_EQ(1, other.Plugin);
  EXPECT_EQ(2, other.ItemsNumber);
  EXPECT_EQ(40, other.PanelRect.left);
  const char* description = self.PanelItems[1].Description;
  ASSERT_EQ(1, info->Control(left, FCTL_UPDATEPANEL, nullptr));
  EXPECT_STREQ("First", description) << "panel info texts outlive an update";
}

TEST_F(HostPanel, ViewModeColumnsAndModifiers) {
  TestFolder folder;
  folder.Write("a-very-long-file-name-that-does-not-fit.mp3", "x");
  ASSERT_TRUE(host_->OpenFromCommandLine(folder.Path()));
  EXPECT_STREQ("A-VERY~1.MP3", Info().PanelItems[1].FindData.cAlternateFileName) << "the host's 8.3 name";
  host_->ClearRecords();
  host_->SetViewMode(2);  // "NOR,C0": bare name, the tail when too long; custom column 0
  EXPECT_EQ(1, host_->CountCalls("ProcessEvent", "FE_CHANGEVIEWMODE"));
  host_->SetCursor(1);
  std::string panel = host_->RenderPanel();
  EXPECT_NE(std::string::npos, panel.find("> |-file-name-that-does-not-fit.mp3|file |\n")) << panel;
  EXPECT_NE(std::string::npos, panel.find("  |              Name              |     |\n")) << panel;
  // "LN,,Z": three columns, the empty middle one titled and drawn blank.
  host_->SetViewMode(3);
  panel = host_->RenderPanel();
  EXPECT_NE(std::string::npos, panel.find("  | # |Name|            Notes            |\n")) << panel;
  EXPECT_NE(std::string::npos, panel.find("> |  1|    |file                         |\n")) << panel;
}

TEST_F(HostPanel, CommandLineAndOtherPanelFolder) {
  TestFolder folder;
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  const PluginStartupInfo* info = host_->StartupInfo();
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINE, const_cast<char*>("tp:play")));
  char line[1024];
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, line));
  EXPECT_STREQ("tp:play", line);
  EXPECT_EQ(1, info->Control(INVALID_HANDLE_VALUE, FCTL_SETANOTHERPANELDIR, const_cast<char*>(folder.Path().c_str())));
  EXPECT_EQ(folder.Path(), Info(FCTL_GETANOTHERPANELINFO).CurDir);
}
