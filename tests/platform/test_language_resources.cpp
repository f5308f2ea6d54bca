// Tests of the language resources: the file format, the shipped English and German files,
// message formatting and the process-wide language.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "platform/current_language.h"
#include "platform/language_files.h"
#include "platform/language_resources.h"
#include "platform/message_format.h"

namespace {

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
  return FormatText(format, std::span<const FormatArg>(args.begin(), args.size()));
}

// The command identifiers of a menu entry list in order, pop-ups as their nested lists
// (-1 opens a pop-up, -2 closes it, 0 is a separator).
void Shape(const std::vector<MenuEntry>& entries, std::vector<int>* out) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Popup) {
      out->push_back(-1);
      Shape(e.entries, out);
      out->push_back(-2);
    } else {
      out->push_back(e.kind == MenuEntry::Kind::Separator ? 0 : static_cast<int>(e.id));
    }
  }
}

std::vector<int> Shape(const Menu& menu) {
  std::vector<int> out;
  Shape(menu.entries, &out);
  return out;
}

TEST(LanguageResources, ReadsEveryKindOfStatement) {
  LanguageResources r;
  std::string error;
  ASSERT_TRUE(
      r.LoadText("\xEF\xBB\xBF# comment\r\n"
                 "string 1 \"Gr\xC3\xBC\xC3\x9F"
                 "e \\\"x\\\"\\tA\\nB\\\\\"  \r\n"
                 "string 65535 \"\"\n"
                 "string 7 \"first\\nsecond\\n\\nfourth\"\n"
                 "menu 5\n"
                 "  popup \"&File\"\n"
                 "    item 100 \"&Open\"\n"
                 "    separator\n"
                 "    popup \"More\"\n"
                 "      item 101 \"Deep\"\n"
                 "    end\n"
                 "  end\n"
                 "end\n"
                 "dialog 9 \"Title \xE2\x82\xAC\"\n"
                 "  edit 1010 \"\"\n"
                 "  combo 1011 \"c\"\n"
                 "    entry \"one\"\n"
                 "    entry \"two\"\n"
                 "end\n"
                 "toolbar 3\n"
                 "  button 100\n"
                 "  separator\n"
                 "  button 101\n"
                 "end\n",
                 "test", &error))
      << error;
  EXPECT_EQ(r.String(1),
            "Gr\xFC\xDF"
            "e \"x\"\tA\nB\\");
  EXPECT_TRUE(r.Has(65535));
  EXPECT_EQ(r.String(65535), "");
  EXPECT_FALSE(r.Has(2));
  EXPECT_EQ(r.String(2), "");
  EXPECT_EQ(r.StringPart(7, 0), "first");
  EXPECT_EQ(r.StringPart(7, 1), "second");
  EXPECT_EQ(r.StringPart(7, 2), "");
  EXPECT_EQ(r.StringPart(7, 3), "fourth");
  EXPECT_EQ(r.StringPart(7, 4), "");
  EXPECT_EQ(r.StringPart(2, 0), "");

  ASSERT_NE(r.FindMenu(5), nullptr);
  EXPECT_EQ(Shape(*r.FindMenu(5)), (std::vector<int>{-1, 100, 0, -1, 101, -2, -2}));
  EXPECT_EQ(r.FindMenu(5)->entries[0].text, "&File");
  EXPECT_EQ(r.MenuText(5, 101), "Deep");
  EXPECT_EQ(r.MenuText(5, 102), "");
  EXPECT_EQ(r.MenuText(6, 100), "");

  EXPECT_EQ(r.DialogTitle(9), "Title \x80");
  EXPECT_EQ(r.DialogText(9, 1011), "c");
  EXPECT_EQ(r.DialogText(9, 1012), "");
  ASSERT_NE(r.FindDialog(9), nullptr);
  EXPECT_EQ(r.FindDialog(9)->Find(1011)->kind, DialogControl::Kind::Combo);
  EXPECT_EQ(r.FindDialog(9)->Find(1011)->entries, (std::vector<std::string>{"one", "two"}));
  ASSERT_NE(r.FindToolbar(3), nullptr);
  EXPECT_EQ(r.FindToolbar(3)->items, (std::vector<unsigned>{100, 0, 101}));
}

TEST(LanguageResources, RejectsMalformedTextWithItsLineAndKeepsTheOldContents) {
  LanguageResources r;
  std::string error;
  ASSERT_TRUE(r.LoadText("string 1 \"kept\"\n", "old", &error));
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"string 1 \"a\"\nstring 2 \"open\n", "new:2: text without closing quote"},
      {"string 1 \"a\"\nstring 1 \"b\"\n", "new:2: string 1 defined twice"},
      {"string 65536 \"a\"\n", "new:1: identifier 0 to 65535 expected"},
      {"string -1 \"a\"\n", "new:1: identifier"},
      {"string 1 a\n", "new:1: quoted text expected"},
      {"string 1 \"a\" \"b\"\n", "new:1: expected: string"},
      {"string 1 \"a\\q\"\n", "new:1: unknown escape"},
      {"string 1 \"a\"b\n", "new:1: blank expected after closing quote"},
      {"strings 1 \"a\"\n", "new:1: expected string, menu"},
      {"string 1 \"a\"\nmenu 2\n  item 3 \"x\"\n", "new:3: menu without end"},
      {"string 1 \"a\"\nmenu 2\n  popup \"p\"\n  end\n", "new:4: menu without end"},
      {"string 1 \"a\"\ndialog 2 \"d\"\n  entry \"x\"\nend\n", "new:3: entry before any control"},
      {"string 1 \"a\"\ndialog 2 \"d\"\n  knob 3 \"x\"\nend\n", "new:3: expected a control kind"},
      {"string 1 \"a\"\ndialog 2 \"d\"\n  edit 3 \"\"\n  edit 3 \"\"\nend\n",
       "new:4: control 3 defined twice"},
      {"string 1 \"a\"\ntoolbar 2\n  button 0\nend\n", "new:3: button 0 is reserved"},
      {"# only a comment\n", "new: no string table entries"},
      {"", "new: no string table entries"},
  };
  for (const auto& c : cases) {
    error.clear();
    EXPECT_FALSE(r.LoadText(c.text, "new", &error)) << c.text;
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << "got: " << error;
  }
  // Pop-ups nested without limit would exhaust the stack; they are refused.
  std::string deep = "string 1 \"a\"\nmenu 2\n";
  for (int i = 0; i < 10000; ++i) deep += "popup \"p\"\n";
  EXPECT_FALSE(r.LoadText(deep, "new", &error));
  EXPECT_NE(error.find("nested too deeply"), std::string::npos);
  EXPECT_EQ(r.String(1), "kept");
}

TEST(LanguageResources, MissingFileGivesAClearError) {
  LanguageResources r;
  std::string error;
  EXPECT_FALSE(r.Load("/nonexistent/zelvox/resdll_E", &error));
  EXPECT_EQ(error, "cannot open /nonexistent/zelvox/resdll_E: No such file or directory");
  EXPECT_FALSE(r.Load(std::filesystem::temp_directory_path().string(), &error));
  EXPECT_NE(error.find("directory"), std::string::npos);
  EXPECT_EQ(LanguageFileName(2), "");
  EXPECT_EQ(LanguageLoadFailureText(0), "Error loading 'resdll_E.dll'. Reinstall Zelvox!");
}

TEST(MessageFormat, FormatsInsertsLikePrintfWithWindowsLongs) {
  const std::int32_t hr = static_cast<std::int32_t>(0x80004005u);
  EXPECT_EQ(Format("error 0x%08lX.", {hr}), "error 0x80004005.");
  EXPECT_EQ(Format("%lx %x %X", {hr, 0xABu, 10}), "80004005 ab A");
  EXPECT_EQ(Format("%08lX", {0x5}), "00000005");
  EXPECT_EQ(Format("%d %i %u", {hr, -7, -1}), "-2147467259 -7 4294967295");
  EXPECT_EQ(Format("%llx %d", {std::int64_t{-1}, std::int64_t{1} << 40}),
            "ffffffffffffffff 1099511627776");
  EXPECT_EQ(Format("[%5s|%-5s|%.2s|%c%c]", {"ab", "cd", "xyz", 'Q', "R"}), "[   ab|cd   |xy|QR]");
  EXPECT_EQ(Format("%.1f %g %+d %#x %o", {2.25, 0.5, 3, 255, 8}), "2.2 0.5 +3 0xff 10");
  EXPECT_EQ(Format("100%% sure", {}), "100% sure");
}

TEST(MessageFormat, NeverMisbehavesOnAMismatch) {
  const std::int32_t hr = static_cast<std::int32_t>(0x80004005u);
  // A number for %s is written in decimal; a text for a number is read when it is one.
  EXPECT_EQ(Format("%s/%s/%s", {hr, 7u, 1.5}), "-2147467259/7/1.5");
  EXPECT_EQ(Format("%08lX|%08lX|%d", {"0x80004005", "-2147467259", " 42 "}),
            "80004005|80004005|42");
  EXPECT_EQ(Format("%d|%08lX|%f", {"DeviceOpenErrorInvalidMode", "", "x"}),
            "DeviceOpenErrorInvalidMode||x");
  EXPECT_EQ(Format("%d", {"99999999999999999999999"}), "99999999999999999999999");
  EXPECT_EQ(Format("%d %d", {1e300, -2.9}), "1e+300 -2");
  // Missing inserts write nothing; surplus inserts are ignored.
  EXPECT_EQ(Format("a%sb%dc", {}), "abc");
  EXPECT_EQ(Format("%s", {"x", "y"}), "x");
  // Conversions the formatter does not know stay as text and take no insert.
  EXPECT_EQ(Format("%n%*d%s", {"x"}), "%n%*dx");
  EXPECT_EQ(Format("%ls%", {"y"}), "y%");
  EXPECT_EQ(Format("50%5", {}), "50%5");
  // Huge widths are cut instead of exhausting memory.
  EXPECT_EQ(Format("%999999999d", {1}).size(), 1024u);
  EXPECT_EQ(Format("%s", {std::string_view("a\0b", 3)}), std::string("a\0b", 3));
}

TEST(CurrentLanguage, LoadsFromTheLanguageDirectoryAndFormatsMessages) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zelvox_lang_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "resdll_D") << "string 129 \"Fehler 0x%08lX\"\nstring 131 \"Grund: %s\"\n";
  const char* old = std::getenv("ZELVOX_LANG_DIR");
  const std::string saved = old ? old : "";
  setenv("ZELVOX_LANG_DIR", dir.c_str(), 1);

  EXPECT_EQ(FindLanguageFile("resdll_D"), (dir / "resdll_D").string());
  std::string error;
  ASSERT_TRUE(LoadLanguage(1, &error)) << error;
  EXPECT_EQ(FormatMessage(129, static_cast<std::int32_t>(0x80070057u)), "Fehler 0x80070057");
  EXPECT_EQ(FormatMessage(131, "DeviceOpenErrorInvalidDevice"),
            "Grund: DeviceOpenErrorInvalidDevice");
  EXPECT_EQ(FormatMessage(999), "");
  // A failed load keeps the language in use.
  std::filesystem::remove(dir / "resdll_D");
  std::ofstream(dir / "resdll_D") << "string 1 \"unterminated\n";
  EXPECT_FALSE(LoadLanguage(1, &error));
  EXPECT_NE(error.find("resdll_D:1: text without closing quote"), std::string::npos) << error;
  EXPECT_FALSE(LoadLanguage(5, &error));
  EXPECT_EQ(Language()->String(131), "Grund: %s");

  if (old) {
    setenv("ZELVOX_LANG_DIR", saved.c_str(), 1);
  } else {
    unsetenv("ZELVOX_LANG_DIR");
  }
  std::filesystem::remove_all(dir);
  SetLanguage(nullptr);
  EXPECT_FALSE(Language()->Has(131));
}

}  // namespace
