// "Select Images" on a real window: the list edited through its controls, the
// list file OK writes, Cancel's question, and saving and loading lists.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "imagelist/playlist.h"
#include "imagelist/playlist_formats.h"
#include "ui/imagelist_dialog/imagelist_dialog_ids.h"
#include "ui/imagelist_dialog/imagelist_dialog_win.h"
#include "ui/test_support/pump_win.h"

namespace {

using Paths = std::vector<std::string>;

class FakeServices final : public ImageListDialogServices {
 public:
  std::string ListFilePath() const override { return listFile; }
  bool ShowThumbnails() const override { return thumbnails; }
  void SetShowThumbnails(bool shown) override { thumbnails = shown; }
  void ListCommitted(bool written, bool replaced) override { commits.push_back({written, replaced}); }
  void ShowAsWallpaper(const std::string& path) override { shown.push_back(path); }
  std::string HelpFilePath() const override { return "C:\\nowhere\\SF_Help.chm"; }

  std::string listFile;
  bool thumbnails = true;
  struct Commit {
    bool written, replaced;
  };
  std::vector<Commit> commits;
  Paths shown;
};

class FakePickers final : public ImageListPickers {
 public:
  PickResult PickImages(HWND, std::vector<std::string>& paths) override {
    paths = images;
    return imagesResult;
  }
  bool PickFolder(HWND, std::string& chosen) override {
    chosen = folder;
    return !folder.empty();
  }
  bool PickSaveName(HWND, std::string& name) override {
    name = saveName;
    return !saveName.empty();
  }
  bool PickListFile(HWND, std::string& name) override {
    name = listName;
    return !listName.empty();
  }

  Paths images;
  PickResult imagesResult = PickResult::kChosen;
  std::string folder, saveName, listName;
};

// Answers every message box that opens on this thread, remembering its title and text.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int answer) : answer(answer), previous(current) {
    current = this;
    timer = SetTimer(nullptr, 0, 30, &BoxAnswerer::Tick);
  }
  ~BoxAnswerer() {
    KillTimer(nullptr, timer);
    current = previous;
  }
  std::vector<std::string> titles, texts;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current) EnumThreadWindows(GetCurrentThreadId(), &BoxAnswerer::Look, 0);
  }
  static BOOL CALLBACK Look(HWND window, LPARAM) {
    char cls[32] = {}, title[128] = {}, text[1024] = {};
    GetClassNameA(window, cls, sizeof(cls));
    GetWindowTextA(window, title, sizeof(title));
    if (!IsWindowVisible(window) || std::string(cls) != "#32770" || std::string(title) == "Select Images") return TRUE;
    GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
    current->titles.push_back(title);
    current->texts.push_back(text);
    PostMessageA(window, WM_COMMAND, current->answer, 0);
    return TRUE;
  }
  static inline BoxAnswerer* current = nullptr;
  int answer;
  BoxAnswerer* previous;
  UINT_PTR timer = 0;
};

// A folder of its own below the temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    path = std::string(base) + "sf_listdlg_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++count);
    CreateDirectoryA(path.c_str(), nullptr);
    path += "\\";
  }
  ~TempFolder() {
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
      DeleteFileA(it->c_str());
      RemoveDirectoryA(it->c_str());
    }
    RemoveDirectoryA(path.c_str());
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string full = path + name;
    std::ofstream(full, std::ios::binary) << bytes;
    made.push_back(full);
    return full;
  }
  std::string Folder(const std::string& name) {
    const std::string full = path + name;
    CreateDirectoryA(full.c_str(), nullptr);
    made.push_back(full);
    return full;
  }
  void Forget(const std::string& full) { made.push_back(full); }
  std::string path;

 private:
  static inline int count = 0;
  std::vector<std::string> made;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The list file's entries as the program would read them.
Paths StoredList(const std::string& path) {
  Playlist list;
  list.Load(path);
  return list.Entries();
}

// Runs the modal dialog; `steps` runs inside its loop once it is up, then the
// dialog is cancelled (a question answered Yes) unless the steps closed it.
INT_PTR RunDialog(FakeServices& services, FakePickers& pickers, const std::function<void(ImageListDialog&)>& steps) {
  ImageListDialog dialog(GetModuleHandleA(nullptr), services, pickers);
  struct Context {
    ImageListDialog* dialog;
    const std::function<void(ImageListDialog&)>* steps;
    bool ran = false;
  } context{&dialog, &steps};
  static Context* active = nullptr;
  active = &context;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (!active || active->ran || !active->dialog->Window()) return;
    KillTimer(nullptr, id);
    active->ran = true;
    (*active->steps)(*active->dialog);
    if (HWND window = active->dialog->Window()) {
      BoxAnswerer yes(IDYES);
      SendMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    }
  });
  const INT_PTR result = dialog.Run(nullptr);
  KillTimer(nullptr, timer);
  active = nullptr;
  EXPECT_TRUE(context.ran);
  return result;
}

HWND ListView(ImageListDialog& d) { return GetDlgItem(d.Window(), IDC_IL_LIST); }
void Click(ImageListDialog& d, int id) { SendMessageA(GetDlgItem(d.Window(), id), BM_CLICK, 0, 0); }

// Selects exactly these lines, the first with the caret, as clicks would.
void SelectLines(ImageListDialog& d, const std::vector<int>& lines) {
  HWND view = ListView(d);
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  for (size_t i = 0; i < lines.size(); ++i) {
    state.state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
    SendMessageA(view, LVM_SETITEMSTATE, lines[i], reinterpret_cast<LPARAM>(&state));
  }
}

std::string CountText(ImageListDialog& d) {
  char text[64] = {};
  GetDlgItemTextA(d.Window(), IDC_IL_COUNT, text, sizeof(text));
  return text;
}

std::string LineShown(ImageListDialog& d, int line) {
  char text[MAX_PATH] = {};
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  SendMessageA(ListView(d), LVM_GETITEMTEXTA, line, reinterpret_cast<LPARAM>(&item));
  return text;
}

class ImageListDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    services.listFile = folder.Write("Skyframe.pls", FormatPls(start));
  }
  TempFolder folder;
  const Paths start = {"C:\\pics\\a.jpg", "C:\\pics\\b.png", "D:\\more\\c.gif"};
  FakeServices services;
  FakePickers pickers;
};

TEST_F(ImageListDialogTest, OpensWithTheListFileNamesAndCount) {
  RunDialog(services, pickers, [&](ImageListDialog& d) {
    EXPECT_EQ(d.List().Paths(), start);
    EXPECT_EQ(CountText(d), "3\nFiles");
    EXPECT_EQ(SendMessageA(ListView(d), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(LineShown(d, 0), "a.jpg");
    EXPECT_EQ(LineShown(d, 2), "c.gif");
    EXPECT_EQ(IsDlgButtonChecked(d.Window(), IDC_IL_SHOW_THUMBNAIL), BST_CHECKED);
  });
}

TEST_F(ImageListDialogTest, EditsThroughTheControlsAreWhatOkWrites) {
  const std::string picked = "E:\\new\\notes.txt";  // picked files go in whatever they are
  const struct {
    const char* name;
    std::function<void(ImageListDialog&)> steps;
    Paths expected;
    bool replaced;
  } cases[] = {
      {"second line up", [](ImageListDialog& d) { SelectLines(d, {1}); Click(d, IDC_IL_UP); },
       {"C:\\pics\\b.png", "C:\\pics\\a.jpg", "D:\\more\\c.gif"}, false},
      {"top line up stays", [](ImageListDialog& d) { SelectLines(d, {0, 1}); Click(d, IDC_IL_UP); }, start, false},
      {"first two down", [](ImageListDialog& d) { SelectLines(d, {0, 1}); Click(d, IDC_IL_DOWN); },
       {"D:\\more\\c.gif", "C:\\pics\\a.jpg", "C:\\pics\\b.png"}, false},
      {"bottom line down stays", [](ImageListDialog& d) { SelectLines(d, {2}); Click(d, IDC_IL_DOWN); }, start, false},
      {"up twice follows the selection",
       [](ImageListDialog& d) { SelectLines(d, {2}); Click(d, IDC_IL_UP); Click(d, IDC_IL_UP); },
       {"D:\\more\\c.gif", "C:\\pics\\a.jpg", "C:\\pics\\b.png"}, false},
      {"remove two", [](ImageListDialog& d) { SelectLines(d, {0, 2}); Click(d, IDC_IL_REMOVE); },
       {"C:\\pics\\b.png"}, false},
      {"the Delete key removes",
       [](ImageListDialog& d) {
         SelectLines(d, {1});
         SendMessageA(ListView(d), WM_KEYDOWN, VK_DELETE, 0);
       },
       {"C:\\pics\\a.jpg", "D:\\more\\c.gif"}, false},
      {"add files appends", [](ImageListDialog& d) { Click(d, IDC_IL_ADD_FILES); },
       {"C:\\pics\\a.jpg", "C:\\pics\\b.png", "D:\\more\\c.gif", picked}, false},
      {"clear then add starts the cursor again",
       [](ImageListDialog& d) { Click(d, IDC_IL_CLEAR); Click(d, IDC_IL_ADD_FILES); }, {picked}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    services.commits.clear();
    std::ofstream(services.listFile, std::ios::binary) << FormatPls(start);
    pickers.images = {picked};
    const INT_PTR result = RunDialog(services, pickers, [&](ImageListDialog& d) {
      c.steps(d);
      EXPECT_EQ(CountText(d), std::to_string(c.expected.size()) + "\nFiles");
      Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredList(services.listFile), c.expected);
    ASSERT_EQ(services.commits.size(), 1u);
    EXPECT_TRUE(services.commits[0].written);
    EXPECT_EQ(services.commits[0].replaced, c.replaced);
  }
}

TEST_F(ImageListDialogTest, AddingAFolderTakesOnlyWallpaperFiles) {
  const std::string tree = folder.Folder("tree");
  folder.Write("tree\\one.jpg", "x");
  folder.Write("tree\\notes.txt", "x");
  folder.Folder("tree\\deeper");
  folder.Write("tree\\deeper\\two.png", "x");
  pickers.folder = tree;
  RunDialog(services, pickers, [&](ImageListDialog& d) {
    Click(d, IDC_IL_CLEAR);
    Click(d, IDC_IL_ADD_FOLDER);
    EXPECT_EQ(d.List().Paths(), (Paths{tree + "\\deeper\\two.png", tree + "\\one.jpg"}));
    EXPECT_EQ(CountText(d), "2\nFiles");
  });
}

TEST_F(ImageListDialogTest, OkWithAnEmptyListDeletesTheListFile) {
  RunDialog(services, pickers, [&](ImageListDialog& d) {
    Click(d, IDC_IL_CLEAR);
    Click(d, IDOK);
  });
  EXPECT_FALSE(Exists(services.listFile));
  ASSERT_EQ(services.commits.size(), 1u);
  EXPECT_FALSE(services.commits[0].written);
}

TEST_F(ImageListDialogTest, OkUnchangedRewritesTheListAndKeepsTheCursor) {
  std::ofstream(services.listFile, std::ios::binary) << "C:\\pics\\a.jpg\r\nC:\\pics\\b.png\r\nD:\\more\\c.gif\r\n";
  EXPECT_EQ(RunDialog(services, pickers, [](ImageListDialog& d) { Click(d, IDOK); }), IDOK);
  EXPECT_EQ(ReadAll(services.listFile), FormatPls(start));
  ASSERT_EQ(services.commits.size(), 1u);
  EXPECT_FALSE(services.commits[0].replaced);
}

TEST_F(ImageListDialogTest, AFailedWriteKeepsTheDialogOpenAndTheOldList) {
  // The list file's folder is a file: nothing can be written there.
  services.listFile = folder.path + "Skyframe.pls\\inside.pls";
  const std::string before = ReadAll(folder.path + "Skyframe.pls");
  BoxAnswerer ok(IDOK);
  RunDialog(services, pickers, [&](ImageListDialog& d) {
    pickers.images = {"C:\\x.jpg"};
    Click(d, IDC_IL_ADD_FILES);
    Click(d, IDOK);
    EXPECT_NE(d.Window(), nullptr);
    EXPECT_EQ(d.List().Count(), 1);
  });
  ASSERT_FALSE(ok.titles.empty());
  EXPECT_EQ(ok.titles[0], "Error");
  EXPECT_TRUE(services.commits.empty());
  EXPECT_EQ(ReadAll(folder.path + "Skyframe.pls"), before);
}

TEST_F(ImageListDialogTest, CancelAsksOnlyAfterAChange) {
  {
    BoxAnswerer yes(IDYES);
    EXPECT_EQ(RunDialog(services, pickers, [](ImageListDialog& d) { Click(d, IDCANCEL); }), IDCANCEL);
    EXPECT_TRUE(yes.titles.empty());
  }
  {
    BoxAnswerer no(IDNO);
    RunDialog(services, pickers, [&](ImageListDialog& d) {
      SelectLines(d, {1});
      Click(d, IDC_IL_UP);
      Click(d, IDCANCEL);
      EXPECT_NE(d.Window(), nullptr);  // No keeps the dialog open
      ASSERT_EQ(no.texts.size(), 1u);
      EXPECT_EQ(no.titles[0], "Are you sure?");
      EXPECT_EQ(no.texts[0], "Are you sure you want to lose your changes?");
    });
  }
  EXPECT_EQ(StoredList(services.listFile), start);
  EXPECT_TRUE(services.commits.empty());
}

TEST_F(ImageListDialogTest, SavedListsLoadBackAndEveryFormatLoads) {
  const std::string saved = folder.path + "mine";
  folder.Forget(saved + ".pls");
  pickers.saveName = saved;
  RunDialog(services, pickers, [&](ImageListDialog& d) { Click(d, IDC_IL_SAVE); });
  EXPECT_EQ(StoredList(saved + ".pls"), start);

  const Paths two = {"C:\\p\\a.jpg", "C:\\p\\b.png"};
  const struct {
    const char* name;
    std::string text;
  } formats[] = {
      {"saved.pls", ReadAll(saved + ".pls")},
      {"list.m3u", "C:\\p\\a.jpg\r\nC:\\p\\b.png\r\n"},
      {"list.b4s", "<entry Playstring=\"file:C:\\p\\a.jpg\"/><entry Playstring=\"file:C:\\p\\b.png\"/>"},
      {"list.bpl", "<x Playstring=\"file:C:\\p\\a.jpg\"/><x Playstring=\"C:\\p\\b.png\"/>"},
      {"list.asx", "<asx><entry><ref href=\"C:\\p\\a.jpg\"/></entry><entry><ref href=\"C:\\p\\b.png\"/></entry></asx>"},
      {"list.wpl", "<seq><media src=\"C:\\p\\a.jpg\"/><media src=\"C:\\p\\b.png\"/></seq>"},
      {"pages and notes are left out", "C:\\p\\a.jpg\r\nC:\\p\\notes.txt\r\nC:\\p\\b.png\r\n"},
  };
  for (const auto& f : formats) {
    SCOPED_TRACE(f.name);
    const bool isFile = std::string(f.name).find(' ') == std::string::npos;
    pickers.listName = folder.Write(isFile ? std::string("in_") + f.name : "list.txt", f.text);
    BoxAnswerer yes(IDYES);
    RunDialog(services, pickers, [&](ImageListDialog& d) {
      Click(d, IDC_IL_LOAD);
      const Paths expected = std::string(f.name) == "saved.pls" ? start : two;
      EXPECT_EQ(d.List().Paths(), expected);
      EXPECT_EQ(CountText(d), std::to_string(expected.size()) + "\nFiles");
      Click(d, IDOK);
    });
    ASSERT_FALSE(yes.titles.empty());
    EXPECT_EQ(yes.titles[0], "Attention");
    EXPECT_EQ(yes.texts[0],
              "Loading a new image list will replace your current selections!\n\nAre you sure you want to proceed?");
    ASSERT_FALSE(services.commits.empty());
    EXPECT_TRUE(services.commits.back().replaced);
    std::ofstream(services.listFile, std::ios::binary) << FormatPls(start);
  }
}

TEST_F(ImageListDialogTest, SaveAndLoadRefusalsAndQuestions) {
  const std::string existing = folder.Write("old.pls", "keep");
  const struct {
    const char* name;
    std::function<void(ImageListDialog&)> steps;
    int answer;
    const char* title;
    const char* text;
  } cases[] = {
      {"nothing to save", [](ImageListDialog& d) { Click(d, IDC_IL_CLEAR); Click(d, IDC_IL_SAVE); }, IDOK,
       "Nothing to save", "There are no images to save!"},
      {"overwrite refused", [&](ImageListDialog& d) { pickers.saveName = existing; Click(d, IDC_IL_SAVE); }, IDNO,
       "File already exists", "A file by that name already exists, do you want to overwrite it?"},
      {"load refused", [&](ImageListDialog& d) { pickers.listName = existing; Click(d, IDC_IL_LOAD); }, IDNO,
       "Attention",
       "Loading a new image list will replace your current selections!\n\nAre you sure you want to proceed?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BoxAnswerer answer(c.answer);
    RunDialog(services, pickers, [&](ImageListDialog& d) {
      const Paths before = d.List().Paths();
      c.steps(d);
      if (std::string(c.name) != "nothing to save") {
        EXPECT_EQ(d.List().Paths(), before);
      }
      Click(d, IDOK);
    });
    ASSERT_FALSE(answer.titles.empty());
    EXPECT_EQ(answer.titles[0], c.title);
    EXPECT_EQ(answer.texts[0], c.text);
    EXPECT_EQ(ReadAll(existing), "keep");
    std::ofstream(services.listFile, std::ios::binary) << FormatPls(start);
  }

  // A list that cannot be read is reported and the list stays.
  pickers.listName = folder.path + "missing.pls";
  BoxAnswerer yes(IDYES);
  RunDialog(services, pickers, [&](ImageListDialog& d) {
    Click(d, IDC_IL_LOAD);
    EXPECT_EQ(d.List().Paths(), start);
    EXPECT_FALSE(d.List().Modified());
    Click(d, IDOK);
  });
  ASSERT_EQ(yes.texts.size(), 2u);
  EXPECT_EQ(yes.titles[1], "Error");
  EXPECT_EQ(yes.texts[1], "This image list appears to be an invalid image list!");
}

TEST_F(ImageListDialogTest, AddFilesFailuresAreReported) {
  const struct {
    PickResult result;
    std::vector<std::string> texts;
  } cases[] = {
      {PickResult::kFailed, {"Error with dialog selection!"}},
      {PickResult::kBufferTooSmall, {"Error with dialog selection!", "Buffer too small"}},
      {PickResult::kCancelled, {}},
  };
  for (const auto& c : cases) {
    pickers.imagesResult = c.result;
    pickers.images = {"C:\\x.jpg"};
    BoxAnswerer ok(IDOK);
    RunDialog(services, pickers, [&](ImageListDialog& d) {
      Click(d, IDC_IL_ADD_FILES);
      EXPECT_EQ(d.List().Paths(), start);
      EXPECT_FALSE(d.List().Modified());
    });
    EXPECT_EQ(ok.texts, c.texts);
  }
}

TEST_F(ImageListDialogTest, SetAsWallpaperShowsTheLineWithTheCaret) {
  RunDialog(services, pickers, [&](ImageListDialog& d) {
    Click(d, IDC_IL_SET_WALLPAPER);  // no caret: nothing
    SelectLines(d, {2});
    Click(d, IDC_IL_SET_WALLPAPER);
  });
  EXPECT_EQ(services.shown, (Paths{"D:\\more\\c.gif"}));
}

TEST_F(ImageListDialogTest, TwentyThousandLinesStayQuick) {
  Paths many;
  for (int i = 0; i < 20000; ++i) many.push_back("C:\\pics\\picture" + std::to_string(i) + ".jpg");
  std::ofstream(services.listFile, std::ios::binary) << FormatPls(many);
  RunDialog(services, pickers, [&](ImageListDialog& d) {
    EXPECT_EQ(CountText(d), "20000\nFiles");
    const DWORD began = GetTickCount();
    SelectLines(d, {19999});
    for (int i = 0; i < 20; ++i) Click(d, IDC_IL_UP);
    SendMessageA(ListView(d), LVM_ENSUREVISIBLE, 19999, FALSE);
    UpdateWindow(ListView(d));
    EXPECT_LT(GetTickCount() - began, 2000u);
    EXPECT_EQ(d.List().Paths()[19979], "C:\\pics\\picture19999.jpg");
    Click(d, IDOK);
  });
  EXPECT_EQ(StoredList(services.listFile).size(), 20000u);
}

}  // namespace
