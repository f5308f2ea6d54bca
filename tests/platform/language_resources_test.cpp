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

LanguageResources LoadShipped(int language) {
  LanguageResources resources;
  std::string error;
  const std::string path = FindLanguageFile(LanguageFileName(language));
  EXPECT_FALSE(path.empty()) << LanguageFileName(language) << " not found";
  EXPECT_TRUE(resources.Load(path, &error)) << error;
  return resources;
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

void CollectCommands(const std::vector<MenuEntry>& entries, std::set<unsigned>* out) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Item) out->insert(e.id);
    CollectCommands(e.entries, out);
  }
}

template <typename Map>
std::set<unsigned> Keys(const Map& map) {
  std::set<unsigned> keys;
  for (const auto& entry : map) keys.insert(entry.first);
  return keys;
}

// The conversions of a text, in order ("%s", "%08lX", ...).
std::vector<std::string> Conversions(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i)) {
    const std::size_t end = text.find_first_of("diuoxXcsfFeEgG%", i + 1);
    out.push_back(text.substr(i, end == std::string::npos ? end : end - i + 1));
    i = end == std::string::npos ? text.size() : end + 1;
  }
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

TEST(ShippedLanguageFiles, BothLoadWithTheSameIdentifiersAndInserts) {
  const LanguageResources en = LoadShipped(0);
  const LanguageResources de = LoadShipped(1);

  EXPECT_EQ(Keys(en.Strings()), Keys(de.Strings()));
  EXPECT_EQ(Keys(en.Menus()), Keys(de.Menus()));
  EXPECT_EQ(Keys(en.Dialogs()), Keys(de.Dialogs()));
  EXPECT_EQ(Keys(en.Toolbars()), Keys(de.Toolbars()));
  for (const auto& [id, text] : en.Strings()) {
    EXPECT_FALSE(text.empty()) << "string " << id;
    if (de.Has(id)) {
      EXPECT_EQ(Conversions(text), Conversions(de.String(id))) << "string " << id;
    }
  }
  for (const auto& [id, menu] : en.Menus()) {
    if (const Menu* other = de.FindMenu(id)) {
      EXPECT_EQ(Shape(menu), Shape(*other)) << "menu " << id;
    }
  }
  for (const auto& [id, dialog] : en.Dialogs()) {
    const Dialog* other = de.FindDialog(id);
    if (!other) continue;
    ASSERT_EQ(dialog.controls.size(), other->controls.size()) << "dialog " << id;
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
      EXPECT_EQ(dialog.controls[i].id, other->controls[i].id) << "dialog " << id;
      EXPECT_EQ(dialog.controls[i].kind, other->controls[i].kind) << "dialog " << id;
      EXPECT_EQ(dialog.controls[i].entries.size(), other->controls[i].entries.size())
          << "dialog " << id << " control " << dialog.controls[i].id;
    }
  }
  for (const auto& [id, toolbar] : en.Toolbars()) {
    if (const Toolbar* other = de.FindToolbar(id)) {
      EXPECT_EQ(toolbar.items, other->items);
    }
  }
  // Umlauts arrive as Windows-1252 bytes.
  EXPECT_EQ(de.String(194), "Ger\xE4te");
}

TEST(ShippedLanguageFiles, HoldEveryTextTheProgramAsksFor) {
  const LanguageResources r = LoadShipped(0);
  const unsigned strings[] = {
      128, 129, 130, 131, 132,   133,   134,   135,   136,   138,   139,   140,  141, 142,
      143, 144, 145, 146, 147,   148,   149,   150,   151,   152,   153,   154,  156, 157,
      158, 159, 160, 161, 162,   163,   164,   165,   167,   168,   169,   170,  171, 172,
      173, 174, 175, 176, 177,   178,   179,   180,   181,   182,   183,   184,  185, 186,
      187, 188, 189, 191, 192,   193,   194,   195,   196,   197,   199,   200,  201, 202,
      203, 204, 205, 206, 32780, 32798, 32816, 32817, 32818, 59144, 59146, 61207};
  for (unsigned id : strings) EXPECT_TRUE(r.Has(id)) << "string " << id;
  // Day names are single words: a time text is split at its first blank.
  for (unsigned id = 138; id <= 145; ++id) EXPECT_EQ(r.String(id).find(' '), std::string::npos);
  EXPECT_EQ(r.StringPart(128, 4), ".zlv");

  const std::map<unsigned, std::vector<unsigned>> dialogs = {
      {100, {1000, 1050}},
      {143, {}},
      {144, {}},
      {156, {1009, 1005, 1006}},
      {157, {1005, 1006, 1007}},
      {158, {1005, 1006, 1007, 1008}},
      {164, {1009, 1010, 1011}},
      {165, {1016, 1017, 1012, 1013}},
      {167, {1016, 1018, 1019}},
      {168, {1009, 1010}},
      {169, {1009, 1010}},
      {170, {1010}},
      {172, {1010}},
      {173, {1008, 1022, 1023, 1024, 1025, 1026}},
      {177, {1010, 1005, 1006}},
      {178, {1010, 1011, 1012}},
      {179, {1010}},
      {180, {1010}},
      {182, {1009, 1010}},
      {184, {}},
      {186, {}},
      {187, {1040, 1042, 1035, 1039, 1044, 1043}},
  };
  for (const auto& [id, controls] : dialogs) {
    const Dialog* d = r.FindDialog(id);
    ASSERT_NE(d, nullptr) << "dialog " << id;
    for (unsigned c : controls) EXPECT_NE(d->Find(c), nullptr) << "dialog " << id << " " << c;
  }
  EXPECT_EQ(r.FindDialog(170)->Find(1010)->entries.size(), 128u);

  // The simulation command sits in the second menu; the type menu ends with a separator at
  // position 19 and the untyped command; the context menus have their eight pop-ups.
  const Menu* main = r.FindMenu(128);
  ASSERT_NE(main, nullptr);
  std::set<unsigned> second;
  CollectCommands(main->entries.at(1).entries, &second);
  EXPECT_TRUE(second.contains(32867));
  const Menu* context = r.FindMenu(142);
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(context->entries.size(), 8u);
  const auto& types = context->entries[0].entries;
  ASSERT_EQ(types.size(), 21u);
  EXPECT_EQ(types[19].kind, MenuEntry::Kind::Separator);
  EXPECT_EQ(types[20].id, 32856u);
  ASSERT_NE(r.FindMenu(175), nullptr);
  // The toggled toolbar items: simulation (main window) and pause (busmonitor).
  EXPECT_EQ(r.FindToolbar(128)->items.at(9), 32867u);
  EXPECT_EQ(r.FindToolbar(175)->items.at(3), 32833u);

  // Every command of a menu or toolbar has its status line prompt and tool tip.
  std::set<unsigned> commands;
  for (const auto& [id, menu] : r.Menus()) CollectCommands(menu.entries, &commands);
  for (const auto& [id, toolbar] : r.Toolbars())
    commands.insert(toolbar.items.begin(), toolbar.items.end());
  commands.erase(0);
  for (unsigned command : commands) {
    EXPECT_FALSE(r.StringPart(command, 0).empty()) << "prompt of " << command;
    EXPECT_FALSE(r.StringPart(command, 1).empty()) << "tool tip of " << command;
  }
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
