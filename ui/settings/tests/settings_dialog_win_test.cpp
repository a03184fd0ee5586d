// "Configure Skyframe" on a real window: each page driven through its
// controls with the messages a user's clicks and keys send.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/settings/settings_dialog_ids.h"
#include "ui/settings/settings_dialog_win.h"
#include "ui/test_support/pump_win.h"

namespace {

class FakeServices final : public SettingsDialogServices {
 public:
  const Settings& LiveSettings() const override { return live; }
  std::vector<EngineChoice> Engines() const override { return engines; }
  void ReloadHistory() override { ++reloads; }
  std::vector<std::string> HistoryEntries(bool addresses) const override { return addresses ? addresses_ : keywords; }
  void ClearHistory(bool addressInUse, int32_t historySize) override {
    clearedHistory.push_back({addressInUse, historySize});
  }
  void ClearCache() override { ++cacheClears; }
  bool Apply(Settings& workingCopy) override {
    // As the program's applier: the current page is asked first.
    if (dialog && dialog->CurrentPageRefuses()) return false;
    applied.push_back(workingCopy);
    return true;
  }
  std::string PicturesFolder() const override { return "C:\\users\\Public"; }
  std::string ProgramPath() const override { return "C:\\nowhere\\Skyframe.exe"; }
  std::string HelpFilePath() const override { return "C:\\nowhere\\SF_Help.chm"; }
  char DecimalSeparator() const override { return separator; }

  Settings live;
  char separator = '.';
  std::vector<EngineChoice> engines = {
      {0, "Web address", {0, 0, 0, 0, 0}}, {1, "google.com", {1, 1, 1, 1, 1}}, {4, "plainsite", {0, 0, 0, 0, 0}}};
  std::vector<std::string> keywords = {"mountains", "lakes"};
  std::vector<std::string> addresses_ = {"http://example.com/a.jpg"};
  SettingsDialog* dialog = nullptr;
  int reloads = 0;
  int cacheClears = 0;
  struct Cleared {
    bool address;
    int32_t size;
  };
  std::vector<Cleared> clearedHistory;
  std::vector<Settings> applied;
};

// Answers every message box that opens on this thread, remembering its title and text.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int answer) : answer(answer) {
    current = this;
    timer = SetTimer(nullptr, 0, 30, &BoxAnswerer::Tick);
  }
  ~BoxAnswerer() {
    KillTimer(nullptr, timer);
    current = nullptr;
  }
  std::vector<std::string> titles, texts;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!current) return;
    EnumThreadWindows(GetCurrentThreadId(), &BoxAnswerer::Look, 0);
  }
  static BOOL CALLBACK Look(HWND window, LPARAM) {
    char cls[32] = {}, title[128] = {}, text[1024] = {};
    GetClassNameA(window, cls, sizeof(cls));
    GetWindowTextA(window, title, sizeof(title));
    if (!IsWindowVisible(window) || std::string(cls) != "#32770" || std::string(title) == "Configure Skyframe")
      return TRUE;
    GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
    current->titles.push_back(title);
    current->texts.push_back(text);
    PostMessageA(window, WM_COMMAND, current->answer, 0);
    return TRUE;
  }
  static inline BoxAnswerer* current = nullptr;
  int answer;
  UINT_PTR timer = 0;
};

// Runs the modal dialog; `steps` runs inside its loop once it is up, then the
// dialog is cancelled unless the steps closed it. Returns the dialog's result.
INT_PTR RunDialog(FakeServices& services, const char* startPage, const std::function<void(SettingsDialog&)>& steps) {
  SettingsDialog dialog(GetModuleHandleA(nullptr), services);
  services.dialog = &dialog;
  struct Context {
    SettingsDialog* dialog;
    const std::function<void(SettingsDialog&)>* steps;
    bool ran = false;
  } context{&dialog, &steps};
  static Context* active = nullptr;
  active = &context;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (!active || active->ran || !active->dialog->Window()) return;
    KillTimer(nullptr, id);
    active->ran = true;
    (*active->steps)(*active->dialog);
    if (HWND window = active->dialog->Window()) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  });
  const INT_PTR result = dialog.Run(nullptr, startPage);
  KillTimer(nullptr, timer);
  active = nullptr;
  services.dialog = nullptr;
  EXPECT_TRUE(context.ran);
  return result;
}

HWND Page(SettingsDialog& d) { return d.Tabs().CurrentPage(); }
HWND Item(SettingsDialog& d, int id) { return GetDlgItem(Page(d), id); }

// A click on tab `index`: asked, then switched, as the tab control notifies.
bool ClickTab(SettingsDialog& d, int index) {
  HWND tabs = d.Tabs().Control();
  NMHDR header{tabs, static_cast<UINT_PTR>(IDC_SETTINGS_TABS), static_cast<UINT>(TCN_SELCHANGING)};
  HWND window = d.Window();
  SendMessageA(window, WM_NOTIFY, IDC_SETTINGS_TABS, reinterpret_cast<LPARAM>(&header));
  if (GetWindowLongPtrA(window, DWLP_MSGRESULT)) return false;
  SendMessageA(tabs, TCM_SETCURSEL, index, 0);
  header.code = TCN_SELCHANGE;
  SendMessageA(window, WM_NOTIFY, IDC_SETTINGS_TABS, reinterpret_cast<LPARAM>(&header));
  return true;
}
bool ClickTab(SettingsDialog& d, const char* title) { return ClickTab(d, d.Tabs().IndexOf(title)); }

void Click(SettingsDialog& d, int id) { SendMessageA(Item(d, id), BM_CLICK, 0, 0); }

// Typing into an edit (its text replaced, which it reports as a change), or
// into a drop-down box's edit, key by key, which the box reports as typing.
void Type(SettingsDialog& d, int id, const std::string& text) {
  HWND control = Item(d, id);
  HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
  if (!edit) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return;
  }
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
}
void TypeChar(SettingsDialog& d, int id, char c) {
  HWND control = Item(d, id);
  if (HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr)) control = edit;
  const LRESULT end = GetWindowTextLengthA(control);
  SendMessageA(control, EM_SETSEL, end, end);
  SendMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 0);
}

// Choosing an item of a drop-down list with the mouse.
void Choose(SettingsDialog& d, int id, const char* text) {
  HWND list = Item(d, id);
  const LRESULT index = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  ASSERT_NE(index, CB_ERR) << text;
  SendMessageA(list, CB_SETCURSEL, index, 0);
  SendMessageA(Page(d), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::string TextOf(SettingsDialog& d, int id) {
  char text[2048] = {};
  GetWindowTextA(Item(d, id), text, sizeof(text));
  return text;
}
bool Checked(SettingsDialog& d, int id) { return SendMessageA(Item(d, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(SettingsDialog& d, int id) { return IsWindowEnabled(Item(d, id)) != 0; }
bool Visible(SettingsDialog& d, int id) { return (GetWindowLongA(Item(d, id), GWL_STYLE) & WS_VISIBLE) != 0; }

std::vector<std::string> TabTitles(SettingsDialog& d) {
  std::vector<std::string> titles;
  HWND tabs = d.Tabs().Control();
  const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    titles.push_back(text);
  }
  return titles;
}

void PressOk(SettingsDialog& d) { SendMessageA(GetDlgItem(d.Window(), IDOK), BM_CLICK, 0, 0); }

// What OK stored after `steps` on the page `title`.
Settings StoredAfter(FakeServices& services, const char* title, const std::function<void(SettingsDialog&)>& steps) {
  RunDialog(services, title, [&](SettingsDialog& d) {
    ASSERT_EQ(d.Tabs().CurrentTitle(), title);
    steps(d);
    PressOk(d);
  });
  EXPECT_EQ(services.applied.size(), 1u);
  return services.applied.empty() ? Settings() : services.applied.back();
}

TEST(SettingsDialog, OpensWithItsPagesInOrderAndTheStartPage) {
  FakeServices services;
  RunDialog(services, nullptr, [](SettingsDialog& d) {
    EXPECT_EQ(TabTitles(d), (std::vector<std::string>{"Source", "Internet", "Wallpaper", "Misc.", "Support"}));
    EXPECT_EQ(d.Tabs().CurrentTitle(), "Source");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.Window(), IDC_SETTINGS_APPLY)));
  });
  services.live.GetImageFromInternet = false;
  RunDialog(services, "Support", [](SettingsDialog& d) {
    EXPECT_EQ(TabTitles(d), (std::vector<std::string>{"Source", "Wallpaper", "Misc.", "Support"}));
    EXPECT_EQ(d.Tabs().CurrentTitle(), "Support");
    EXPECT_FALSE(Enabled(d, IDC_SUP_CHECK_UPDATES));
  });
  // A start page the dialog lacks opens the first page.
  RunDialog(services, "Internet", [](SettingsDialog& d) { EXPECT_EQ(d.Tabs().CurrentTitle(), "Source"); });
}

TEST(SettingsDialog, EachPageStoresWhatItsControlsSay) {
  struct Case {
    const char* name;
    const char* page;
    std::function<void(SettingsDialog&)> steps;
    std::function<void(const Settings&)> check;
  };
  const Case cases[] = {
      {"address mode", "Source", [](SettingsDialog& d) { Click(d, IDC_SRC_ADDRESS); },
       [](const Settings& s) {
         EXPECT_EQ(s.EngineIndex, 0);
         EXPECT_EQ(s.DefaultEngine, 1);  // kept, so keywords later restore the site
       }},
      {"site list", "Source", [](SettingsDialog& d) { Choose(d, IDC_SRC_SITE, "plainsite"); },
       [](const Settings& s) {
         EXPECT_EQ(s.DefaultEngine, 4);
         EXPECT_EQ(s.EngineIndex, 4);
       }},
      {"search text", "Source", [](SettingsDialog& d) { Type(d, IDC_SRC_TEXT, "red sunsets"); },
       [](const Settings& s) { EXPECT_EQ(s.InternetString, "red sunsets"); }},
      {"own pictures, no shuffle", "Source",
       [](SettingsDialog& d) {
         Click(d, IDC_SRC_FROM_COMPUTER);
         Click(d, IDC_SRC_SHUFFLE);
       },
       [](const Settings& s) {
         EXPECT_FALSE(s.GetImageFromInternet);
         EXPECT_EQ(s.ShuffleImagelist, 0);
       }},
      {"filter and sizes", "Internet",
       [](SettingsDialog& d) {
         Choose(d, IDC_NET_FILTER, "Image dimensions");
         Type(d, IDC_NET_MIN_WIDTH, "1600");
         Type(d, IDC_NET_MIN_HEIGHT, "1200");
         Type(d, IDC_NET_HISTORY_SIZE, "25");
         Type(d, IDC_NET_CACHE_SIZE, "300");
       },
       [](const Settings& s) {
         EXPECT_EQ(s.FilterType, 1);
         EXPECT_EQ(s.MinImageWidth, 1600u);
         EXPECT_EQ(s.MinImageHeight, 1200u);
         EXPECT_EQ(s.HistorySize, 25);
         EXPECT_EQ(s.CacheSize, 300000000);
       }},
      {"megapixels", "Internet", [](SettingsDialog& d) { Type(d, IDC_NET_MEGAPIXELS, "0.6"); },
       [](const Settings& s) { EXPECT_EQ(s.MinPixels, 600000u); }},
      {"check boxes and save folder", "Internet",
       [](SettingsDialog& d) {
         Click(d, IDC_NET_GROUP_RESULTS);
         Click(d, IDC_NET_BLOCK_EXPLICIT);
         Click(d, IDC_NET_SAVE_TO_FOLDER);
         Type(d, IDC_NET_SAVE_FOLDER, "C:\\windows\\temp");
       },
       [](const Settings& s) {
         EXPECT_TRUE(s.GroupResults);
         EXPECT_FALSE(s.BlockExplicit);
         EXPECT_FALSE(s.AskWhereToSave);
         EXPECT_EQ(s.WallpaperSavePath, "C:\\windows\\temp");
       }},
      {"schedule and placement", "Wallpaper",
       [](SettingsDialog& d) {
         Click(d, IDC_WP_ON_STARTUP);
         Choose(d, IDC_WP_CHANGE_WHEN, Settings().ChangeTimeNames[9].c_str());
         Choose(d, IDC_WP_ORIENTATION, "Tile");
       },
       [](const Settings& s) {
         EXPECT_TRUE(s.ChangeAtStartup);
         EXPECT_EQ(s.ChangeWhen, 9);
         EXPECT_EQ(s.PaperOrient, 1);
         EXPECT_EQ(s.ShuffleImagelist, 1);  // this page leaves the shuffle alone
       }},
      {"pause", "Wallpaper", [](SettingsDialog& d) { Click(d, IDC_WP_CHANGE_AT_TIME); },
       [](const Settings& s) { EXPECT_FALSE(s.ChangeAtTime); }},
      {"popup and start-up", "Misc.",
       [](SettingsDialog& d) {
         Click(d, IDC_MISC_SPLASH);
         Click(d, IDC_MISC_RUN_AT_STARTUP);
         Choose(d, IDC_MISC_POPUP_POS, "Lower Left");
       },
       [](const Settings& s) {
         EXPECT_FALSE(s.ShowSplashScreen);
         EXPECT_FALSE(s.RunAtStartup);
         EXPECT_TRUE(s.ShowStatusPopup);
         EXPECT_EQ(s.StatusPopupPos, 3);
       }},
      {"no popup", "Misc.", [](SettingsDialog& d) { Click(d, IDC_MISC_STATUS_POPUP); },
       [](const Settings& s) { EXPECT_FALSE(s.ShowStatusPopup); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServices services;
    c.check(StoredAfter(services, c.page, c.steps));
  }
}

TEST(SettingsDialog, PagesShowTheWorkingCopyAndEnableWhatApplies) {
  FakeServices services;
  services.live.EngineIndex = 4;  // an engine without capabilities
  services.live.DefaultEngine = 4;
  services.live.MinPixels = 2500000;
  services.live.StatusPopupPos = 1;
  services.live.ShowStatusPopup = false;
  services.live.CacheSize = -5;  // whatever the registry held
  RunDialog(services, "Internet", [](SettingsDialog& d) {
    EXPECT_EQ(TextOf(d, IDC_NET_MEGAPIXELS), "2.500");
    EXPECT_EQ(TextOf(d, IDC_NET_CACHE_SIZE), "5");
    EXPECT_FALSE(Enabled(d, IDC_NET_BLOCK_EXPLICIT));
    EXPECT_FALSE(Enabled(d, IDC_NET_GROUP_RESULTS));
    EXPECT_FALSE(Enabled(d, IDC_NET_SAVE_FOLDER));  // "Ask me each time"
    // Megapixels (the default filter) shows its box only.
    EXPECT_TRUE(Visible(d, IDC_NET_MEGAPIXELS));
    EXPECT_FALSE(Visible(d, IDC_NET_MIN_WIDTH));
    EXPECT_FALSE(Visible(d, IDC_NET_ALL_LABEL));
    Choose(d, IDC_NET_FILTER, "No filtering");
    EXPECT_TRUE(Visible(d, IDC_NET_ALL_LABEL));
    EXPECT_FALSE(Visible(d, IDC_NET_MEGAPIXELS));
    Click(d, IDC_NET_SAVE_TO_FOLDER);
    EXPECT_TRUE(Enabled(d, IDC_NET_SAVE_FOLDER));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d.Window(), IDC_SETTINGS_APPLY)));

    ASSERT_TRUE(ClickTab(d, "Misc."));
    EXPECT_FALSE(Enabled(d, IDC_MISC_POPUP_POS));
    EXPECT_EQ(TextOf(d, IDC_MISC_POPUP_POS), "Centered");
    Click(d, IDC_MISC_STATUS_POPUP);
    EXPECT_TRUE(Enabled(d, IDC_MISC_POPUP_POS));

    ASSERT_TRUE(ClickTab(d, "Source"));
    EXPECT_EQ(TextOf(d, IDC_SRC_SITE), "plainsite");
    EXPECT_FALSE(Enabled(d, IDC_SRC_SHUFFLE));
    EXPECT_EQ(SendMessageA(Item(d, IDC_SRC_SITE), CB_GETCOUNT, 0, 0), 2);  // engine 0 is not a site
    EXPECT_EQ(SendMessageA(Item(d, IDC_SRC_TEXT), CB_GETCOUNT, 0, 0), 2);  // the keyword history
  });
}

TEST(SettingsDialog, EmptyBoxesStoreTheirDefaults) {
  FakeServices services;
  services.live.MinImageWidth = 1;
  services.live.MinImageHeight = 1;
  services.live.MinPixels = 1;
  services.live.HistorySize = 99;
  services.live.CacheSize = 99000000;
  const Settings s = StoredAfter(services, "Internet", [](SettingsDialog& d) {
    for (int id : {IDC_NET_MIN_WIDTH, IDC_NET_MIN_HEIGHT, IDC_NET_MEGAPIXELS, IDC_NET_HISTORY_SIZE, IDC_NET_CACHE_SIZE})
      Type(d, id, "");
  });
  EXPECT_EQ(s.MinImageWidth, 640u);
  EXPECT_EQ(s.MinImageHeight, 480u);
  EXPECT_EQ(s.MinPixels, 300000u);
  EXPECT_EQ(s.HistorySize, 10);
  EXPECT_EQ(s.CacheSize, 5000000);
  // The save folder left empty takes the pictures folder.
  EXPECT_EQ(s.WallpaperSavePath, "C:\\users\\Public");
}

TEST(SettingsDialog, TypedNonDigitsAreRemovedAndTheDigitsKept) {
  FakeServices services;
  RunDialog(services, "Internet", [](SettingsDialog& d) {
    Type(d, IDC_NET_HISTORY_SIZE, "12");
    TypeChar(d, IDC_NET_HISTORY_SIZE, 'x');
    EXPECT_EQ(TextOf(d, IDC_NET_HISTORY_SIZE), "12");
    Type(d, IDC_NET_CACHE_SIZE, "4-0");
    EXPECT_EQ(TextOf(d, IDC_NET_CACHE_SIZE), "40");
    Choose(d, IDC_NET_FILTER, "Image dimensions");
    Type(d, IDC_NET_MIN_WIDTH, "8a00");
    EXPECT_EQ(TextOf(d, IDC_NET_MIN_WIDTH), "800");
    Type(d, IDC_NET_MEGAPIXELS, "1,5x");
    EXPECT_EQ(TextOf(d, IDC_NET_MEGAPIXELS), "15");  // "," is no point under a "." locale
  });
}

TEST(SettingsDialog, TheMegapixelBoxUnderACommaLocale) {
  FakeServices services;
  services.separator = ',';
  RunDialog(services, "Internet", [](SettingsDialog& d) {
    EXPECT_EQ(TextOf(d, IDC_NET_MEGAPIXELS), "0,300");
    char item[16] = {};
    SendMessageA(Item(d, IDC_NET_MEGAPIXELS), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "0,6");
  });
  const struct {
    const char* typed;
    const char* shown;
    uint32_t stored;
  } cases[] = {{"0,6", "0,6", 600000}, {"0.300", "0.300", 300000}, {"2,5MP", "2,5", 2500000}, {"0,0005", "0,0005", 500}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    FakeServices one;
    one.separator = ',';
    std::string shown;
    const Settings s = StoredAfter(one, "Internet", [&](SettingsDialog& d) {
      Type(d, IDC_NET_MEGAPIXELS, c.typed);
      shown = TextOf(d, IDC_NET_MEGAPIXELS);
    });
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(s.MinPixels, c.stored);
  }
}

TEST(SettingsDialog, HistoryAndCacheSizesStayWithinTheirRanges) {
  FakeServices services;
  RunDialog(services, "Internet", [](SettingsDialog& d) {
    int low = 0, high = 0;
    SendMessageA(Item(d, IDC_NET_CACHE_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 5);
    EXPECT_EQ(high, 2147);
    SendMessageA(Item(d, IDC_NET_HISTORY_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 1000);
  });
  const struct {
    const char* history;
    const char* cache;
    int32_t storedHistory;
    int32_t storedCache;
  } cases[] = {{"0", "0", 1, 5000000}, {"1000", "3", 1000, 5000000}, {"9999", "4000", 1000, 2147000000},
               {"7", "2147", 7, 2147000000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cache);
    FakeServices one;
    const Settings s = StoredAfter(one, "Internet", [&](SettingsDialog& d) {
      Type(d, IDC_NET_HISTORY_SIZE, c.history);
      Type(d, IDC_NET_CACHE_SIZE, c.cache);
    });
    EXPECT_EQ(s.HistorySize, c.storedHistory);
    EXPECT_EQ(s.CacheSize, c.storedCache);
  }
}

TEST(SettingsDialog, AnUnwritableSaveFolderKeepsThePageAndRefusesOk) {
  FakeServices services;
  BoxAnswerer boxes(IDOK);
  const INT_PTR result = RunDialog(services, "Internet", [&](SettingsDialog& d) {
    Click(d, IDC_NET_SAVE_TO_FOLDER);
    Type(d, IDC_NET_SAVE_FOLDER, "Q:\\no such drive\\pictures");
    EXPECT_FALSE(ClickTab(d, "Wallpaper"));
    EXPECT_EQ(d.Tabs().CurrentTitle(), "Internet");
    PressOk(d);
    EXPECT_TRUE(d.Window()) << "OK closed the dialog";
    // Emptied, the box takes the pictures folder and the page may be left.
    Type(d, IDC_NET_SAVE_FOLDER, "");
    EXPECT_TRUE(ClickTab(d, "Wallpaper"));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(services.applied.empty());
  ASSERT_EQ(boxes.titles.size(), 2u);
  EXPECT_EQ(boxes.titles[0], "Cannot write to folder!");
  EXPECT_EQ(boxes.titles[1], "Cannot write to folder!");
  EXPECT_EQ(boxes.texts[0].rfind("The folder you have selected cannot be written to.\n", 0), 0u) << boxes.texts[0];
}

TEST(SettingsDialog, CancelAppliesNothingAndTouchesNoHistory) {
  FakeServices services;
  const INT_PTR result = RunDialog(services, "Internet", [](SettingsDialog& d) {
    Type(d, IDC_NET_HISTORY_SIZE, "1");
    ASSERT_TRUE(ClickTab(d, "Wallpaper"));
    Choose(d, IDC_WP_ORIENTATION, "Center");
    SendMessageA(GetDlgItem(d.Window(), IDCANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(services.applied.empty());
  EXPECT_TRUE(services.clearedHistory.empty());
  EXPECT_EQ(services.cacheClears, 0);
}

TEST(SettingsDialog, ApplyKeepsTheDialogOpenAndDisablesItself) {
  FakeServices services;
  const INT_PTR result = RunDialog(services, "Wallpaper", [&](SettingsDialog& d) {
    HWND apply = GetDlgItem(d.Window(), IDC_SETTINGS_APPLY);
    Choose(d, IDC_WP_ORIENTATION, "Center");
    ASSERT_TRUE(IsWindowEnabled(apply));
    SendMessageA(apply, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(apply));
    ASSERT_EQ(services.applied.size(), 1u);
    EXPECT_EQ(services.applied[0].PaperOrient, 0);
    EXPECT_TRUE(d.Window());
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(services.applied.size(), 1u);
}

TEST(SettingsDialog, SwitchingTheSourceRemovesAndReaddsTheInternetTab) {
  FakeServices services;
  RunDialog(services, nullptr, [](SettingsDialog& d) {
    Click(d, IDC_SRC_FROM_COMPUTER);
    EXPECT_EQ(TabTitles(d), (std::vector<std::string>{"Source", "Wallpaper", "Misc.", "Support"}));
    EXPECT_TRUE(Enabled(d, IDC_SRC_SHUFFLE));
    EXPECT_FALSE(Enabled(d, IDC_SRC_TEXT));
    EXPECT_FALSE(Enabled(d, IDC_SRC_SITE));
    Click(d, IDC_SRC_FROM_INTERNET);
    EXPECT_EQ(TabTitles(d), (std::vector<std::string>{"Source", "Wallpaper", "Misc.", "Support", "Internet"}));
    EXPECT_EQ(d.Tabs().CurrentTitle(), "Source");
    ASSERT_TRUE(ClickTab(d, "Internet"));
    EXPECT_TRUE(IsWindow(Page(d)));
  });
}

TEST(SettingsDialog, AddressModeDisablesTheSiteListAndKeywordsRestoreIt) {
  FakeServices services;
  services.live.DefaultEngine = 4;
  services.live.EngineIndex = 0;
  services.live.InternetString = "http://example.com/a.jpg";
  const Settings s = StoredAfter(services, "Source", [](SettingsDialog& d) {
    EXPECT_TRUE(Checked(d, IDC_SRC_ADDRESS));
    EXPECT_FALSE(Enabled(d, IDC_SRC_SITE));
    EXPECT_EQ(TextOf(d, IDC_SRC_TEXT), "http://example.com/a.jpg");
    Click(d, IDC_SRC_KEYWORDS);
    EXPECT_TRUE(Enabled(d, IDC_SRC_SITE));
  });
  EXPECT_EQ(s.EngineIndex, 4);
  EXPECT_EQ(services.reloads, 1);
}

TEST(SettingsDialog, TheSearchTextIsCutToWhatTheRegistryReadsBack) {
  FakeServices services;
  const Settings s = StoredAfter(services, "Source", [](SettingsDialog& d) {
    Type(d, IDC_SRC_TEXT, std::string(1500, 'k'));
  });
  EXPECT_EQ(s.InternetString.size(), 1023u);
}

TEST(SettingsDialog, APauseElsewhereIsFollowedOnEveryPage) {
  FakeServices services;
  // On the Wallpaper page the check box follows; on another page only the working copy.
  Settings s = StoredAfter(services, "Wallpaper", [](SettingsDialog& d) {
    SendMessageA(d.Window(), kMsgPauseChanged, 0, 0);
    EXPECT_FALSE(Checked(d, IDC_WP_CHANGE_AT_TIME));
    EXPECT_FALSE(Enabled(d, IDC_WP_CHANGE_WHEN));
  });
  EXPECT_FALSE(s.ChangeAtTime);
  FakeServices other;
  s = StoredAfter(other, "Misc.", [](SettingsDialog& d) { SendMessageA(d.Window(), kMsgPauseChanged, 0, 0); });
  EXPECT_FALSE(s.ChangeAtTime) << "OK undid a pause made while the dialog was open";
}

TEST(SettingsDialog, ClearButtonsAskFirstAndReachTheProgram) {
  FakeServices services;
  services.live.EngineIndex = 0;
  {
    BoxAnswerer no(IDNO);
    RunDialog(services, "Internet", [](SettingsDialog& d) {
      Click(d, IDC_NET_CLEAR_HISTORY);
      Click(d, IDC_NET_CLEAR_CACHE);
    });
    EXPECT_EQ(no.titles, (std::vector<std::string>{"Are you sure", "Are you sure?"}));
  }
  EXPECT_TRUE(services.clearedHistory.empty());
  EXPECT_EQ(services.cacheClears, 0);
  BoxAnswerer yes(IDYES);
  RunDialog(services, "Internet", [](SettingsDialog& d) {
    Type(d, IDC_NET_HISTORY_SIZE, "3");
    Click(d, IDC_NET_CLEAR_HISTORY);
    Click(d, IDC_NET_CLEAR_CACHE);
  });
  ASSERT_EQ(services.clearedHistory.size(), 1u);
  EXPECT_TRUE(services.clearedHistory[0].address);
  EXPECT_EQ(services.clearedHistory[0].size, 3);
  EXPECT_EQ(services.cacheClears, 1);
  // Each Yes is followed by its confirmation, which the answerer closes too.
  EXPECT_EQ(yes.titles, (std::vector<std::string>{"Are you sure", "History cleared", "Are you sure?", "Cache cleared"}));
  EXPECT_TRUE(services.applied.empty());
}

TEST(SettingsDialog, ThePageRequestedWhileOpenIsAskedFirst) {
  FakeServices services;
  BoxAnswerer boxes(IDOK);
  RunDialog(services, "Internet", [](SettingsDialog& d) {
    Click(d, IDC_NET_SAVE_TO_FOLDER);
    Type(d, IDC_NET_SAVE_FOLDER, "Q:\\none");
    d.ShowPage("Support");
    EXPECT_EQ(d.Tabs().CurrentTitle(), "Internet");
    Type(d, IDC_NET_SAVE_FOLDER, "");
    d.ShowPage("Support");
    EXPECT_EQ(d.Tabs().CurrentTitle(), "Support");
  });
}

}  // namespace
