// Tests of the ESF line reader, the field readers and the project line search.
#include <gtest/gtest.h>

#include <string>

#include "project/esf_fields.h"
#include "project/esf_line_reader.h"
#include "project/esf_project_line.h"

TEST(EsfLineReader, CutsLongLinesAndSkipsTheirRest) {
  const std::string fits(1023, 'a');
  const std::string tooLong = std::string(1023, 'b') + "Maingroup:;Ghost;9";
  const std::string text = fits + "\r\n" + tooLong + "\nlast";
  EsfLineReader reader(text);
  std::string_view line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, fits);
  EXPECT_EQ(reader.Position(), 1025u);
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, std::string(1023, 'b'));
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "last");  // no line end at the end of the text
  EXPECT_EQ(reader.Position(), reader.Length());
  EXPECT_FALSE(reader.ReadLine(line));

  EsfLineReader blank("\r\n\n");
  ASSERT_TRUE(blank.ReadLine(line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(blank.ReadLine(line));
  EXPECT_EQ(line, "");
  EXPECT_FALSE(blank.ReadLine(line));
}

TEST(EsfFields, FromTheLeftAndFromTheRight) {
  const std::string_view line = "1;1.1.5;Actuator;;EIS 1 'Switching' (1 Bit);1/1/1 1/1/2";
  EXPECT_EQ(EsfFieldFromLeft(line, 0), "1");
  EXPECT_EQ(EsfFieldFromLeft(line, 1), "1.1.5");
  EXPECT_EQ(EsfFieldFromLeft(line, 3), "");
  EXPECT_EQ(EsfFieldFromLeft(line, 5), "1/1/1 1/1/2");
  EXPECT_EQ(EsfFieldFromLeft(line, 6), "");
  EXPECT_EQ(EsfFieldFromRight(line, 0), "1/1/1 1/1/2");
  EXPECT_EQ(EsfFieldFromRight(line, 1), "EIS 1 'Switching' (1 Bit)");
  EXPECT_EQ(EsfFieldFromRight(line, 5), "1");
  EXPECT_EQ(EsfFieldFromRight(line, 6), "");

  // A line without ";" is one field; trailing and leading ";" give empty fields.
  EXPECT_EQ(EsfFieldFromLeft("word", 0), "word");
  EXPECT_EQ(EsfFieldFromRight("word", 0), "word");
  EXPECT_EQ(EsfFieldFromRight("word", 1), "");
  EXPECT_EQ(EsfFieldFromRight("a;", 0), "");
  EXPECT_EQ(EsfFieldFromRight("a;", 1), "a");
  EXPECT_EQ(EsfFieldFromLeft(";b", 0), "");
  EXPECT_EQ(EsfFieldFromRight(";b", 1), "");
  EXPECT_EQ(EsfFieldFromRight("", 0), "");
}

TEST(EsfProjectLine, DecidesTheLanguageByExactBytes) {
  const EsfWords& words = StandardEsfWords();
  {
    EsfLineReader reader("junk\nProject name\nNom du projet:;Maison\nProjektname:;Haus\n");
    const auto found = FindEsfProjectLine(reader, words);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->language, 3);
    EXPECT_EQ(found->name, "Maison");
  }
  {
    // Case and surrounding blanks matter.
    EsfLineReader reader("project name:;x\n Projektname:;y\nProjektname: ;z\n");
    EXPECT_FALSE(FindEsfProjectLine(reader, words));
  }
  {
    EsfLineReader reader("Nome do projecto:;Casa\n");
    const auto found = FindEsfProjectLine(reader, words);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->language, 7);
  }
}
