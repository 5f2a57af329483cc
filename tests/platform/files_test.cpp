#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/Files.h"
#include "support/TempDir.h"

TEST(OpenFile, BackslashPathsAndCaseFoldedComponents) {
  TempDir dir;
  dir.Write("Escenas_Bin/Script.TXT", "hello\n");
  FILE* f = OpenFile("ESCENAS_BIN\\script.txt", "r");
  ASSERT_NE(f, nullptr);
  char line[16] = {};
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "hello\n");
  std::fclose(f);
}

TEST(OpenFile, TextModeFoldsCrLfButBinaryKeepsIt) {
  TempDir dir;
  dir.Write("a.txt", "one\r\ntwo\r\nlone\rcr\r\n");
  FILE* f = OpenFile("a.txt", "r");
  ASSERT_NE(f, nullptr);
  std::string text;
  for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
  std::fclose(f);
  EXPECT_EQ(text, "one\ntwo\nlone\rcr\n");

  f = OpenFile("a.txt", "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  EXPECT_EQ(std::ftell(f), 19);
  std::fclose(f);
}

TEST(OpenFile, WritesIntoExistingFolderMatchedByCase) {
  TempDir dir;
  dir.Write("textures/keep.jpg", "x");
  FILE* f = OpenFile("TEXTURES\\new.jpg", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(std::ifstream(dir.path + "/textures/new.jpg").good());
  EXPECT_EQ(OpenFile("missing\\file.txt", "r"), nullptr);
}
