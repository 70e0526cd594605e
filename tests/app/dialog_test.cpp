// The main dialog driven through window messages, from its real template, under the real
// window manager: start state, job entry, the prompt-dependent reactions, progress, and the
// rules that keep runs from overlapping or being cut off.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/data_folder.h"
#include "tests/app/dialog_harness.h"
#include "tests/support/test_support.h"

using ztest::DialogUnderTest;
using ztest::Utf8;
using ztest::WaitUntil;

namespace {

const WCHAR kNoFolderMessage[] = L"请先选择你要查找的文件夹！";

std::vector<std::string> Utf8All(const CStringArray& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetSize(); ++i) out.push_back(Utf8(list[i]));
  return out;
}

int BarPosition(DialogUnderTest& d) {
  int pos = -1;
  d.OnDialogThread([&](CZentrelDlg& dlg) { pos = dlg.m_progress.GetPosition(); });
  return pos;
}

// Waits until the dialog has taken the run's end report and execute is usable again.
bool WaitRunOver(DialogUnderTest& d) {
  return WaitUntil([&] { return !d.RunInProgress() && ::IsWindowEnabled(d.Item(IDOK)); });
}

CString AppName() {
  WCHAR path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  CString name(path);
  name = name.Mid(name.ReverseFind(WCHAR('\\')) + 1);
  return name.Left(name.ReverseFind(WCHAR('.')));
}

// A drop as the shell makes it: a DROPFILES header, then the paths, each with its zero, and
// one more zero at the end.
HDROP MakeDrop(const std::vector<CString>& paths) {
  size_t units = 1;
  for (const CString& p : paths) units += size_t(p.GetLength()) + 1;
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(WCHAR));
  auto* header = static_cast<DROPFILES*>(::GlobalLock(mem));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  WCHAR* out = reinterpret_cast<WCHAR*>(header + 1);
  for (const CString& p : paths) {
    for (int i = 0; i < p.GetLength(); ++i) *out++ = p[i];
    *out++ = 0;
  }
  ::GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

// The parts of a DLGTEMPLATEEX resource the tests look at.
struct DialogTemplate {
  DWORD style = 0, exStyle = 0;
  int pointSize = 0;
  CString font;
  struct Item {
    DWORD style, exStyle, id;
    short x, y, cx, cy;
  };
  std::vector<Item> items;
};

DialogTemplate LoadDialogTemplate(UINT id) {
  DialogTemplate t;
  HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
  if (!res) return t;
  const BYTE* base = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, res)));
  const BYTE* p = base;
  auto word = [&] { WORD v; memcpy(&v, p, 2); p += 2; return v; };
  auto dword = [&] { DWORD v; memcpy(&v, p, 4); p += 4; return v; };
  auto text = [&] {
    CString s;
    for (WORD c; (c = word()) != 0;) s += WCHAR(c);
    return s;
  };
  auto nameOrOrdinal = [&] {
    WORD first;
    memcpy(&first, p, 2);
    if (first == 0xFFFF) { p += 4; return; }
    text();
  };
  auto alignDword = [&] { p = base + ((p - base + 3) & ~3); };
  if (word() != 1 || word() != 0xFFFF) return t;
  dword();  // help id
  t.exStyle = dword();
  t.style = dword();
  WORD count = word();
  p += 8;  // x, y, cx, cy
  nameOrOrdinal();  // menu
  nameOrOrdinal();  // class
  text();           // caption
  t.pointSize = word();
  word();  // weight
  p += 2;  // italic, charset
  t.font = text();
  for (WORD i = 0; i < count; ++i) {
    alignDword();
    DialogTemplate::Item item;
    dword();  // help id
    item.exStyle = dword();
    item.style = dword();
    short geometry[4];
    memcpy(geometry, p, 8);
    p += 8;
    item.x = geometry[0];
    item.y = geometry[1];
    item.cx = geometry[2];
    item.cy = geometry[3];
    item.id = dword();
    nameOrOrdinal();  // class
    nameOrOrdinal();  // title
    p += word();      // creation data
    t.items.push_back(item);
  }
  return t;
}

}  // namespace

TEST(MainDialog, StartStateReadBackFromControls) {
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  EXPECT_EQ(g_hMainWnd, d.Hwnd());

  EXPECT_EQ(Utf8(d.Text(IDC_FOLDER)), "按“浏览”按钮选择一个文件夹路径");
  EXPECT_EQ(Utf8(d.Text(IDC_FIND)), "输入需要查找或替换的字符");
  EXPECT_EQ(Utf8(d.Text(IDC_REPLACE)), "新字符串");

  const struct { int id; int checked; } checks[] = {
      {IDC_CASE_SENSITIVE, 1}, {IDC_FIND_ONLY, 1}, {IDC_SUB_FOLDERS, 1},
      {IDC_RENAME_ONLY, 0},    {IDC_KEEP_NAME, 1}, {IDC_NUMBER_FILES, 0},
  };
  for (const auto& c : checks) EXPECT_EQ(d.Check(c.id), c.checked) << "check box " << c.id;

  HWND combo = d.Item(IDC_FILE_TYPES);
  ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
  std::vector<std::string> items;
  for (int i = 0; i < 2; ++i) {
    WCHAR buf[64] = {0};
    ::SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf));
    items.push_back(Utf8(buf));
  }
  EXPECT_EQ(items, (std::vector<std::string>{"*.*", ".txt|.html|.htm|.cpp|.h"}));
  EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Utf8(d.WindowText(combo)), "*.*");

  PBRANGE range = {-1, -1};
  ::SendMessageW(d.Item(IDC_PROGRESS), PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 1000);
  COLORREF start = 0, end = 0, back = 0;
  HICON icon = nullptr;
  d.OnDialogThread([&](CZentrelDlg& dlg) {
    EXPECT_EQ(dlg.m_progress.GetPosition(), 1);
    EXPECT_EQ(dlg.m_progress.GetUpper(), 1000);
    EXPECT_EQ(dlg.m_progress.GetStep(), 1);
    start = dlg.m_progress.m_clrStart;
    end = dlg.m_progress.m_clrEnd;
    back = dlg.m_progress.m_clrBarBackground;
    icon = dlg.m_hIcon;
  });
  EXPECT_EQ(start, 0x000000FFu);
  EXPECT_EQ(end, 0x0000FFFFu);
  EXPECT_EQ(back, 0x00EAE8C8u);

  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(d.Hwnd(), WM_GETICON, ICON_BIG, 0)), icon);
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(d.Hwnd(), WM_GETICON, ICON_SMALL, 0)), icon);
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(d.Hwnd(), WM_QUERYDRAGICON, 0, 0)), icon);

  GUITHREADINFO gui = {};
  gui.cbSize = sizeof(gui);
  ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(d.Hwnd(), nullptr), &gui));
  EXPECT_EQ(gui.hwndFocus, d.Item(IDOK));
}

TEST(MainDialog, TemplateGivesEveryControlItsPlaceTextAndKind) {
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  EXPECT_EQ(Utf8(d.WindowText(d.Hwnd())), "Zentrel——包括自动批量重命名文件功能");
  LONG style = ::GetWindowLongW(d.Hwnd(), GWL_STYLE);
  EXPECT_EQ(style & 0x90C800C8, 0x90C800C8) << std::hex << style;
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0) << std::hex << style;
  LONG exStyle = ::GetWindowLongW(d.Hwnd(), GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_ACCEPTFILES), WS_EX_APPWINDOW | WS_EX_ACCEPTFILES);
  RECT client;
  ::GetClientRect(d.Hwnd(), &client);
  RECT size = {0, 0, 605, 369};
  ::MapDialogRect(d.Hwnd(), &size);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  // In template order, which is the tab order. The combo box's height in the template counts
  // its opened list, so only its top-left corner and width are compared.
  const struct {
    int id;
    const char* kind;
    const char* text;
    int x, y, w, h;
  } controls[] = {
      {IDOK, "button", "执行", 208, 333, 50, 14},
      {IDCANCEL, "button", "退出", 341, 333, 50, 14},
      {-1, "static", "目标文件夹：", 50, 17, 42, 8},
      {IDC_FOLDER, "edit", nullptr, 109, 14, 125, 14},
      {IDC_BROWSE, "button", "浏览", 250, 14, 46, 14},
      {-1, "static", "原字符串名称：", 23, 89, 49, 8},
      {IDC_FIND, "edit", nullptr, 22, 102, 115, 189},
      {-1, "static", "新字符串名称：", 156, 89, 49, 8},
      {IDC_REPLACE, "edit", nullptr, 155, 102, 442, 189},
      {IDC_CASE_SENSITIVE, "button", "区分大小写", 51, 60, 50, 10},
      {IDC_FIND_ONLY, "button", "仅查找不替换", 155, 60, 57, 10},
      {IDC_SUB_FOLDERS, "button", "包括子目录", 103, 60, 50, 10},
      {IDC_PROGRESS, "msctls_progress32", nullptr, 190, 310, 214, 14},
      {IDC_RENAME_ONLY, "button", "仅重命名文件，不包括文件内容", 326, 60, 112, 10},
      {-1, "static", "指定文件类型：", 347, 17, 49, 8},
      {IDC_FILE_TYPES, "combobox", nullptr, 404, 14, 125, -1},
      {IDC_KEEP_NAME, "button", "保留原文件名", 450, 69, 53, 10},
      {-1, "button", "自动重命名文件设置", 314, 39, 247, 53},
      {IDC_NUMBER_FILES, "button", "用序号重命名文件", 449, 49, 83, 10},
      {-1, "button", "查找与替换设置", 31, 40, 247, 48},
  };
  HWND child = ::GetWindow(d.Hwnd(), GW_CHILD);
  for (const auto& c : controls) {
    ASSERT_NE(child, nullptr) << "missing control " << c.id << " " << c.text;
    SCOPED_TRACE(testing::Message() << "control " << c.id << " " << (c.text ? c.text : c.kind));
    EXPECT_EQ(WORD(::GetDlgCtrlID(child)), WORD(c.id));
    WCHAR cls[64] = {0};
    ::GetClassNameW(child, cls, 64);
    CString kind(cls);
    kind.MakeLower();
    EXPECT_EQ(Utf8(kind), c.kind);
    if (c.text) {
      EXPECT_EQ(Utf8(d.WindowText(child)), c.text);
    }
    // The dialog manager converts the corner and the size each on its own, so the far edge is
    // the converted corner plus the converted size.
    RECT want = {c.x, c.y, c.w, c.h < 0 ? 0 : c.h};
    ::MapDialogRect(d.Hwnd(), &want);
    want.right += want.left;
    want.bottom += want.top;
    RECT got;
    ::GetWindowRect(child, &got);
    ::MapWindowPoints(nullptr, d.Hwnd(), reinterpret_cast<POINT*>(&got), 2);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    if (c.h >= 0) {
      EXPECT_EQ(got.bottom, want.bottom);
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the template names";
}

TEST(MainDialog, TemplateResourceHoldsTheStylesAndFont) {
  // Controls change some styles of their own once made (an edit trades its border for a
  // sunken edge), so the styles are read from the template the program carries.
  DialogTemplate t = LoadDialogTemplate(IDD_ZENTREL_DIALOG);
  ASSERT_EQ(t.items.size(), 20u);
  EXPECT_EQ(t.style, DWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                           DS_FIXEDSYS));
  EXPECT_EQ(t.exStyle, DWORD(WS_EX_APPWINDOW | WS_EX_ACCEPTFILES));
  EXPECT_EQ(t.pointSize, 9);
  EXPECT_EQ(Utf8(t.font), "MS Shell Dlg");

  const DWORD child = WS_CHILD | WS_VISIBLE;
  const DWORD check = child | BS_AUTOCHECKBOX | WS_TABSTOP;
  const DWORD label = child | SS_LEFT | WS_GROUP;
  const DWORD multiLine = child | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
  const struct { int id; DWORD style; } items[] = {
      {IDOK, child | BS_DEFPUSHBUTTON | WS_TABSTOP},
      {IDCANCEL, child | BS_PUSHBUTTON | WS_TABSTOP},
      {-1, label},
      {IDC_FOLDER, child | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
      {IDC_BROWSE, child | BS_PUSHBUTTON | WS_TABSTOP},
      {-1, label},
      {IDC_FIND, multiLine},
      {-1, label},
      {IDC_REPLACE, multiLine | WS_HSCROLL},
      {IDC_CASE_SENSITIVE, check},
      {IDC_FIND_ONLY, check},
      {IDC_SUB_FOLDERS, check},
      {IDC_PROGRESS, child | WS_BORDER},
      {IDC_RENAME_ONLY, check},
      {-1, label},
      {IDC_FILE_TYPES, child | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP},
      {IDC_KEEP_NAME, check},
      {-1, child | BS_GROUPBOX},
      {IDC_NUMBER_FILES, check},
      {-1, child | BS_GROUPBOX},
  };
  for (size_t i = 0; i < t.items.size(); ++i) {
    EXPECT_EQ(WORD(t.items[i].id), WORD(items[i].id)) << "item " << i;
    EXPECT_EQ(t.items[i].style, items[i].style) << "item " << i << std::hex << " has " << t.items[i].style;
  }
  // The combo box's height includes its opened list.
  EXPECT_EQ(t.items[15].cy, 30);
}

TEST(MainDialog, EnterInTargetBoxRunsExecuteAndKeepsTheDialogOpen) {
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  d.OnDialogThread([](CZentrelDlg&) { g_findResults.Add(CString(L"left over")); });

  ::PostMessageW(d.Item(IDC_FOLDER), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::PostMessageW(d.Item(IDC_FOLDER), WM_KEYUP, VK_RETURN, 0xC01C0001);
  ASSERT_TRUE(WaitUntil([&] { return d.seams.PickerStarts().size() == 1; }));

  ASSERT_EQ(d.seams.Boxes().size(), 1u);
  EXPECT_EQ(Utf8(d.seams.Boxes()[0]), Utf8(kNoFolderMessage));
  EXPECT_EQ(Utf8(d.seams.Captions()[0]), Utf8(AppName()));
  // The picker starts from the box's text, so its cancel leaves the box as it was.
  EXPECT_EQ(Utf8(d.seams.PickerStarts()[0]), "按“浏览”按钮选择一个文件夹路径");
  EXPECT_EQ(d.seams.PickerOwners()[0], d.Hwnd());
  EXPECT_EQ(Utf8(d.Text(IDC_FOLDER)), "按“浏览”按钮选择一个文件夹路径");
  EXPECT_TRUE(::IsWindow(d.Hwnd()));
  EXPECT_FALSE(d.RunInProgress());
  int results = -1;
  d.OnDialogThread([&](CZentrelDlg&) { results = g_findResults.GetSize(); });
  EXPECT_EQ(results, 0) << "a refused execute still empties the results";

  // Enter in a multi-line box is a new line there, not execute.
  d.SetText(IDC_REPLACE, L"x");
  ::SendMessageW(d.Item(IDC_REPLACE), EM_SETSEL, 1, 1);
  ::PostMessageW(d.Item(IDC_REPLACE), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::PostMessageW(d.Item(IDC_REPLACE), WM_KEYUP, VK_RETURN, 0xC01C0001);
  ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(d.Item(IDC_REPLACE), EM_GETLINECOUNT, 0, 0) == 2; }));
  EXPECT_EQ(d.seams.Boxes().size(), 1u);
  EXPECT_TRUE(::IsWindow(d.Hwnd()));
}

TEST(MainDialog, ExecuteWithMissingTargetShowsMessageThenPicker) {
  ztest::ScratchDir dir;
  const struct {
    const WCHAR* typed;
    std::optional<CString> picked;
    CString expectedFolder;
  } rows[] = {
      {L"", std::nullopt, CString(L"")},
      {L"C:\\no\\such\\folder", std::nullopt, CString(L"C:\\no\\such\\folder")},
      {L"C:\\no\\such\\folder", dir.Path(), dir.Path()},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.typed));
    DialogUnderTest d;
    ASSERT_TRUE(::IsWindow(d.Hwnd()));
    d.SetText(IDC_FOLDER, row.typed);
    d.seams.AnswerPicker({row.picked});
    d.Command(IDOK);
    ASSERT_EQ(d.seams.Boxes().size(), 1u);
    EXPECT_EQ(Utf8(d.seams.Boxes()[0]), Utf8(kNoFolderMessage));
    ASSERT_EQ(d.seams.PickerStarts().size(), 1u);
    EXPECT_EQ(Utf8(d.seams.PickerStarts()[0]), Utf8(row.typed));
    EXPECT_EQ(Utf8(d.Text(IDC_FOLDER)), Utf8(row.expectedFolder));
    EXPECT_FALSE(d.RunInProgress());
    EXPECT_TRUE(d.seams.Opened().empty());
  }
}

TEST(MainDialog, JobRecordIsReadFromTheControlsAsTheyStand) {
  const CString longLine(WCHAR('q'), 1500);
  const struct {
    CString find, replace;
    std::vector<std::string> findList, replaceList;
  } rows[] = {
      {L"", L"", {""}, {""}},
      {L"a\r\nb\r\n", L"c", {"a", "b", ""}, {"c"}},
      {L"输入需要查找或替换的字符", L"新字符串", {"输入需要查找或替换的字符"}, {"新字符串"}},
      {L"  lead and trail  ", L"\r\n\r\n", {"  lead and trail  "}, {"", "", ""}},
      {longLine + L"\r\nend", longLine, {Utf8(longLine), "end"}, {Utf8(longLine)}},
  };
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.find).substr(0, 40));
    d.SetText(IDC_FIND, row.find);
    d.SetText(IDC_REPLACE, row.replace);
    CBatchJob job;
    d.OnDialogThread([&](CZentrelDlg& dlg) { dlg.FillJobFromControls(&job); });
    EXPECT_EQ(Utf8All(job.m_findList), row.findList);
    EXPECT_EQ(Utf8All(job.m_replaceList), row.replaceList);
  }

  // The start switches, then each switch flipped alone: every box lands in its own field.
  const int ids[] = {IDC_CASE_SENSITIVE, IDC_FIND_ONLY, IDC_SUB_FOLDERS,
                     IDC_RENAME_ONLY,    IDC_KEEP_NAME, IDC_NUMBER_FILES};
  auto fields = [&] {
    CBatchJob job;
    d.OnDialogThread([&](CZentrelDlg& dlg) { dlg.FillJobFromControls(&job); });
    return std::vector<BOOL>{job.m_bCaseSensitive, job.m_bFindOnly, job.m_bSubFolders,
                             job.m_bRenameOnly,    job.m_bKeepName, job.m_bNumberFiles};
  };
  const std::vector<BOOL> start = {1, 1, 1, 0, 1, 0};
  EXPECT_EQ(fields(), start);
  for (int i = 0; i < 6; ++i) {
    ::SendMessageW(d.Item(ids[i]), BM_SETCHECK, start[size_t(i)] ? 0 : 1, 0);
    std::vector<BOOL> want = start;
    want[size_t(i)] = !want[size_t(i)];
    EXPECT_EQ(fields(), want) << "switch " << ids[i];
    ::SendMessageW(d.Item(ids[i]), BM_SETCHECK, start[size_t(i)], 0);
  }

  // The folder and the type filter are taken as typed, blanks and all, list item or not.
  d.SetText(IDC_FOLDER, L"  C:\\some where  ");
  ::SendMessageW(d.Item(IDC_FILE_TYPES), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L".md|.rst"));
  CBatchJob job;
  d.OnDialogThread([&](CZentrelDlg& dlg) { dlg.FillJobFromControls(&job); });
  EXPECT_EQ(Utf8(job.m_strFolder), "  C:\\some where  ");
  EXPECT_EQ(Utf8(job.m_strFileTypes), ".md|.rst");
}

TEST(MainDialog, ExecuteOnARealFolderRunsTheJobAndWritesTheSummary) {
  ztest::ScratchDir dir;
  ztest::MakeDir(dir / L"sub");
  ztest::WriteBytes(dir / L"a.txt", "foo one\r\nno match\r\n");
  ztest::WriteBytes(dir / L"sub\\b.txt", "x FOO y foo\r\n");
  const CString longFind(WCHAR('k'), 1500);
  // A find line longer than any old line buffer must still match as a whole.
  ztest::WriteBytes(dir / L"long.txt", Utf8(longFind) + "\r\n" + Utf8(CString(WCHAR('k'), 1499)) + "\r\n");

  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  d.SetText(IDC_FOLDER, dir.Path());
  EXPECT_EQ(Utf8(d.Text(IDC_FIND)), Utf8(dir.Path().Mid(dir.Path().ReverseFind(WCHAR('\\')) + 1)));
  d.SetText(IDC_FIND, L"foo");
  d.SetText(IDC_REPLACE, L"bar");
  ::SendMessageW(d.Item(IDC_FIND_ONLY), BM_SETCHECK, 0, 0);
  d.Command(IDOK);
  ASSERT_TRUE(WaitRunOver(d));

  EXPECT_TRUE(d.seams.Boxes().empty()) << Utf8(d.seams.Boxes().empty() ? CString() : d.seams.Boxes()[0]);
  EXPECT_EQ(ztest::ReadBytes(dir / L"a.txt"), "bar one\r\nno match\r\n");
  // Case significant at start: FOO stays.
  EXPECT_EQ(ztest::ReadBytes(dir / L"sub\\b.txt"), "x FOO y bar\r\n");

  const CString summary = GetDataFilePath(L"findresult.txt");
  ASSERT_EQ(d.seams.Opened().size(), 1u);
  EXPECT_EQ(Utf8(d.seams.Opened()[0]), Utf8(summary));
  const std::string text = ztest::ReadBytes(summary);
  EXPECT_NE(text.find("a.txt Line:1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("b.txt Line:1\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("long.txt"), std::string::npos) << text;
  EXPECT_EQ(BarPosition(d), 999) << "the end message shows the bar nearly full";

  // Second run with the 1500-character find: found in long.txt only, on its first line.
  d.SetText(IDC_FIND, longFind);
  ::SendMessageW(d.Item(IDC_FIND_ONLY), BM_SETCHECK, 1, 0);
  d.Command(IDOK);
  ASSERT_TRUE(WaitRunOver(d));
  const std::string second = ztest::ReadBytes(summary);
  EXPECT_NE(second.find("long.txt Line:1\r\n"), std::string::npos) << second;
  EXPECT_EQ(second.find("Line:2"), std::string::npos) << second;
  EXPECT_EQ(second.find("a.txt"), std::string::npos) << "the results list starts empty each run";
}

TEST(MainDialog, NewTargetFillsTheFindBoxOnlyWhileItHoldsItsPrompt) {
  const struct {
    const WCHAR* findBefore;  // null: the start prompt
    std::optional<CString> picked;
    const char* folderAfter;
    const char* findAfter;
  } rows[] = {
      {nullptr, CString(L"D:\\Work\\Project"), "D:\\Work\\Project", "Project"},
      {nullptr, CString(L"C:\\"), "C:\\", ""},
      {L"mine", CString(L"D:\\Work\\Project"), "D:\\Work\\Project", "mine"},
      {L"mine", std::nullopt, "按“浏览”按钮选择一个文件夹路径", "mine"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folderAfter);
    DialogUnderTest d;
    ASSERT_TRUE(::IsWindow(d.Hwnd()));
    if (row.findBefore) d.SetText(IDC_FIND, row.findBefore);
    d.seams.AnswerPicker({row.picked});
    d.Command(IDC_BROWSE);
    ASSERT_EQ(d.seams.PickerStarts().size(), 1u);
    EXPECT_EQ(Utf8(d.seams.PickerStarts()[0]), "按“浏览”按钮选择一个文件夹路径");
    EXPECT_EQ(Utf8(d.Text(IDC_FOLDER)), row.folderAfter);
    EXPECT_EQ(Utf8(d.Text(IDC_FIND)), row.findAfter);
    EXPECT_EQ(Utf8(d.Text(IDC_REPLACE)), "新字符串");
    EXPECT_TRUE(d.seams.Boxes().empty());
  }
}

TEST(MainDialog, DroppedItemsGiveTheFirstPathWhole) {
  const CString deep = CString(L"C:\\") + CString(WCHAR('d'), 280) + L"\\leaf";
  const struct {
    std::vector<CString> dropped;
    const WCHAR* folderAfter;
    const WCHAR* findAfter;
  } rows[] = {
      {{CString(L"C:\\one\\first.txt"), CString(L"C:\\two\\second.txt")}, L"C:\\one\\first.txt", L"first.txt"},
      {{deep}, deep, L"leaf"},
      {{CString(L"C:\\")}, L"C:\\", L""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.folderAfter).substr(0, 30));
    DialogUnderTest d;
    ASSERT_TRUE(::IsWindow(d.Hwnd()));
    ::SendMessageW(d.Hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(row.dropped)), 0);
    EXPECT_EQ(Utf8(d.Text(IDC_FOLDER)), Utf8(row.folderAfter));
    EXPECT_EQ(Utf8(d.Text(IDC_FIND)), Utf8(row.findAfter));
  }
}

TEST(MainDialog, HandEditsOfTheTargetTakeThePromptAwayOnce) {
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  // The user's first keystroke in 1001: its text has no backslash, so 1002 empties at once.
  ::SendMessageW(d.Item(IDC_FOLDER), WM_CHAR, 'x', 0);
  EXPECT_NE(d.Text(IDC_FOLDER), CString(L"按“浏览”按钮选择一个文件夹路径"));
  EXPECT_EQ(Utf8(d.Text(IDC_FIND)), "");
  d.SetText(IDC_FOLDER, L"D:\\Work\\Project");
  EXPECT_EQ(Utf8(d.Text(IDC_FIND)), "") << "the prompt is gone, so later changes leave 1002 alone";
  // Typing the prompt back brings the behaviour back.
  d.SetText(IDC_FIND, L"输入需要查找或替换的字符");
  d.SetText(IDC_FOLDER, L"D:\\Work\\Other");
  EXPECT_EQ(Utf8(d.Text(IDC_FIND)), "Other");
}

TEST(MainDialog, RenameOnlyClickEmptiesBothBoxesOnlyWhileFindHoldsItsPrompt) {
  const struct {
    const WCHAR* find;  // null: the start prompt
    const WCHAR* replace;
    const char* findAfter;
    const char* replaceAfter;
  } rows[] = {
      {nullptr, L"typed by the user", "", ""},
      {nullptr, nullptr, "", ""},
      {L"abc", L"xyz", "abc", "xyz"},
      {L"输入需要查找或替换的字符 ", L"xyz", "输入需要查找或替换的字符 ", "xyz"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.findAfter);
    DialogUnderTest d;
    ASSERT_TRUE(::IsWindow(d.Hwnd()));
    if (row.find) d.SetText(IDC_FIND, row.find);
    if (row.replace) d.SetText(IDC_REPLACE, row.replace);
    ::SendMessageW(d.Item(IDC_RENAME_ONLY), BM_CLICK, 0, 0);
    EXPECT_EQ(d.Check(IDC_RENAME_ONLY), 1);
    EXPECT_EQ(Utf8(d.Text(IDC_FIND)), row.findAfter);
    EXPECT_EQ(Utf8(d.Text(IDC_REPLACE)), row.replaceAfter);
    // Unchecking counts the same: the state is not looked at.
    d.SetText(IDC_FIND, L"输入需要查找或替换的字符");
    d.SetText(IDC_REPLACE, L"again");
    ::SendMessageW(d.Item(IDC_RENAME_ONLY), BM_CLICK, 0, 0);
    EXPECT_EQ(d.Check(IDC_RENAME_ONLY), 0);
    EXPECT_EQ(Utf8(d.Text(IDC_REPLACE)), "");
  }
}

TEST(MainDialog, ProgressMessagesStepWrapAndEnd) {
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  auto send = [&](WPARAM w, LPARAM l) { return ::SendMessageW(d.Hwnd(), WM_BATCH_PROGRESS, w, l); };
  ASSERT_EQ(BarPosition(d), 1);
  LRESULT all = 1;
  for (int i = 0; i < 998; ++i) all &= send(1, 1);
  EXPECT_EQ(all, 1);
  EXPECT_EQ(BarPosition(d), 999);

  const struct { WPARAM w; LPARAM l; int after; } steps[] = {
      {1, 1, 1000},  // the 999th step reaches the upper end
      {1, 1, 2},     // the 1000th finds it there: back to 1, then one step
      {0, 0, 999},   // the end of a run
      {0, 0, 999},   // ...at any position
      {0, 1, 1000},  // only 0, 0 is the end; anything else is a step
      {7, 0, 2},
      {0, 0, 999},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(send(s.w, s.l), 1);
    EXPECT_EQ(BarPosition(d), s.after) << s.w << "," << s.l;
  }
}

TEST(MainDialog, OneRunAtATimeAndTheResultsStayWithIt) {
  ztest::ScratchDir dir;
  ztest::WriteBytes(dir / L"a.txt", "foo\r\n");
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  d.SetText(IDC_FOLDER, dir.Path());
  d.SetText(IDC_FIND, L"foo");
  d.seams.CloseOpenGate();
  d.Command(IDOK);
  // The run now stands still at the opening of its summary, its results in the list.
  ASSERT_TRUE(WaitUntil([&] { return d.seams.OpensArrived() == 1; }));
  EXPECT_TRUE(d.RunInProgress());
  EXPECT_FALSE(::IsWindowEnabled(d.Item(IDOK)));
  int before = -1;
  d.OnDialogThread([&](CZentrelDlg&) { before = g_findResults.GetSize(); });
  EXPECT_EQ(before, 1);

  // The command itself, not a click: a disabled button is not the only guard.
  d.Command(IDOK);
  ::PostMessageW(d.Item(IDC_FOLDER), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::Sleep(300);
  int during = -1;
  d.OnDialogThread([&](CZentrelDlg&) { during = g_findResults.GetSize(); });
  EXPECT_EQ(during, before) << "a second execute emptied the running run's results";

  d.seams.OpenOpenGate();
  ASSERT_TRUE(WaitRunOver(d));
  ::Sleep(300);
  EXPECT_EQ(d.seams.OpensArrived(), 1) << "a second run was started";
  EXPECT_TRUE(d.seams.Boxes().empty());

  // Once the run is over, execute works again.
  d.Command(IDOK);
  ASSERT_TRUE(WaitUntil([&] { return d.seams.OpensArrived() == 2; }));
  ASSERT_TRUE(WaitRunOver(d));
}

TEST(MainDialog, ClosingDuringARunWaitsForItsEnd) {
  ztest::ScratchDir dir;
  ztest::WriteBytes(dir / L"a.txt", "foo\r\n");
  DialogUnderTest d;
  ASSERT_TRUE(::IsWindow(d.Hwnd()));
  d.SetText(IDC_FOLDER, dir.Path());
  d.SetText(IDC_FIND, L"foo");
  d.SetText(IDC_REPLACE, L"bar");
  ::SendMessageW(d.Item(IDC_FIND_ONLY), BM_SETCHECK, 0, 0);
  d.seams.CloseOpenGate();
  d.Command(IDOK);
  ASSERT_TRUE(WaitUntil([&] { return d.seams.OpensArrived() == 1; }));

  d.Command(IDCANCEL);
  ::PostMessageW(d.Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(d.WaitClosed(500).has_value()) << "closed while the run was still going";
  EXPECT_TRUE(::IsWindow(d.Hwnd()));
  EXPECT_FALSE(::IsWindowEnabled(d.Item(IDCANCEL)));

  d.seams.OpenOpenGate();
  std::optional<INT_PTR> result = d.WaitClosed();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, IDCANCEL);
  EXPECT_EQ(ztest::ReadBytes(dir / L"a.txt"), "bar\r\n");
}

TEST(MainDialog, ClosingWithNoRunEndsAtOnce) {
  enum How { kExitButton, kEscape, kCloseBox };
  for (How how : {kExitButton, kEscape, kCloseBox}) {
    SCOPED_TRACE(int(how));
    DialogUnderTest d;
    ASSERT_TRUE(::IsWindow(d.Hwnd()));
    if (how == kExitButton) ::PostMessageW(d.Item(IDCANCEL), BM_CLICK, 0, 0);
    if (how == kEscape) ::PostMessageW(d.Item(IDC_FIND), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    if (how == kCloseBox) ::PostMessageW(d.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    std::optional<INT_PTR> result = d.WaitClosed(5000);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, IDCANCEL);
    EXPECT_TRUE(d.seams.Boxes().empty());
  }
}

TEST(MainDialog, MinimizedIconIsCentredWithTruncatingDivision) {
  const struct { int cw, ch, iw, ih, x, y; } rows[] = {
      {37, 37, 32, 32, 3, 3},
      {0, 0, 32, 32, -15, -15},
      {32, 32, 32, 32, 0, 0},
      {100, 50, 32, 32, 34, 9},
      {31, 30, 32, 32, 0, 0},  // -0 and -1 over 2 both truncate to 0
  };
  for (const auto& r : rows) {
    POINT p = MinimizedIconOrigin(r.cw, r.ch, r.iw, r.ih);
    EXPECT_EQ(p.x, r.x) << r.cw << "x" << r.ch;
    EXPECT_EQ(p.y, r.y) << r.cw << "x" << r.ch;
  }
}
