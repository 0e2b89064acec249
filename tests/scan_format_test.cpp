#include "values/scan_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace quorvel {
namespace {

// The patterns of the TPM formats, checked against the C library's sscanf
// on the same lines: counts and every stored value must agree.
TEST(ScanFormatAgainstSscanf, VertexPatternWithFloatsAndJoint) {
  const char* pattern = " v = %f , %f , %f , %d";
  for (const char* line : {"v = 1, 2, 3, 4", "v=1,2,3,4", "  v =1.5 ,-2e3,  .25", "v = 1, 2", "v = (1, 2, 3)",
                           "V = 1, 2, 3", "v = 1 2 3", "v =", "", "   ", "v = 1, 2, 3, x", "v=-0.0,+4,5.,-7",
                           "v\t=\t1\t,\t2\t,\t3\t,\t9 trailing"}) {
    float a[3] = {-1, -1, -1}, b[3] = {-1, -1, -1};
    int32_t j = -5, k = -5;
    int mine = scanFormat(line, pattern, {&a[0], &a[1], &a[2], &j});
    int libc = std::sscanf(line, pattern, &b[0], &b[1], &b[2], &k);
    EXPECT_EQ(mine, libc) << line;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], b[i]) << line;
    EXPECT_EQ(j, k) << line;
  }
}

TEST(ScanFormatAgainstSscanf, QuotedNamesAndSets) {
  const char* pattern = " o = \"%[^\"]\" , %[^, ] , ( %f , %f , %f ) , ( %f , %f , %f ) , %f";
  for (const char* line : {"o = \"Rock 1\", box, (1,2,3), (0,90,0), 2",
                           "o=\"Rock\",\"Mesh A\",(1,2,3),(4,5,6),(7,8,9)",
                           "o = \"\", box, (1,2,3), (4,5,6), 1",
                           "o = \"R\" , sphere , ( 1 , 2 , 3 ) , ( 4 , 5 , 6 ) , 7 ",
                           "o = \"R\", ,(1,2,3)", "o = \"unclosed"}) {
    std::string name, kind;
    char cname[256] = "", ckind[256] = "";
    float f[7] = {}, g[7] = {};
    int mine = scanFormat(line, pattern, {&name, &kind, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6]});
    int libc = std::sscanf(line, " o = \"%255[^\"]\" , %255[^, ] , ( %f , %f , %f ) , ( %f , %f , %f ) , %f",
                           cname, ckind, &g[0], &g[1], &g[2], &g[3], &g[4], &g[5], &g[6]);
    EXPECT_EQ(mine, libc) << line;
    if (libc >= 1) {
      EXPECT_EQ(name, cname) << line;
    }
    if (libc >= 2) {
      EXPECT_EQ(kind, ckind) << line;
    }
    for (int i = 0; i < 7; ++i) EXPECT_EQ(f[i], g[i]) << line;
  }
}

TEST(ScanFormatAgainstSscanf, BracketSetWithClosingBracketFirst) {
  for (const char* line : {"[file info]", "  [ joints ]", "[]", "[values", "x[a]", "[a]b]"}) {
    std::string name;
    char cname[256] = "";
    int mine = scanFormat(line, " [ %[^]]]", {&name});
    int libc = std::sscanf(line, " [ %255[^]]]", cname);
    EXPECT_EQ(mine, libc) << line;
    if (libc == 1) {
      EXPECT_EQ(name, cname) << line;
    }
  }
}

TEST(ScanFormatAgainstSscanf, KeyAndWordForms) {
  for (const char* line : {"colormap = \"a b.bmp\"", "colormap=\"\"", "colormap = plain.bmp tail", "key=", "=x",
                           "mesh \"Big Rock\" {", "mesh Rock{"}) {
    std::string key, text;
    char ckey[256] = "", ctext[256] = "";
    int mine = scanFormat(line, " %[^ =] = %[^ ]", {&key, &text});
    int libc = std::sscanf(line, " %255[^ =] = %255[^ ]", ckey, ctext);
    EXPECT_EQ(mine, libc) << line;
    if (libc >= 1) {
      EXPECT_EQ(key, ckey) << line;
    }
    if (libc >= 2) {
      EXPECT_EQ(text, ctext) << line;
    }

    key.clear();
    text.clear();
    mine = scanFormat(line, " %s \"%[^\"]", {&key, &text});
    libc = std::sscanf(line, " %255s \"%255[^\"]", ckey, ctext);
    EXPECT_EQ(mine, libc) << line;
    if (libc >= 1) {
      EXPECT_EQ(key, ckey) << line;
    }
    if (libc >= 2) {
      EXPECT_EQ(text, ctext) << line;
    }
  }
}

TEST(ScanFormatAgainstSscanf, IntegerFaceLines) {
  const char* pattern = " f = ( %d , %d , %d ) , ( %d , %d , %d ) , ( %d , %d , %d ) , %d";
  for (const char* line : {"f = (1,2,3),(4,5,6),(7,8,9),1", "f=(1 ,2, 3) , (4,5,6),(7,8,9), -2",
                           "f = (1,2,3),(4,5,6)", "f = 1,2,3", "f = (+1,-2,3),(4,5,6),(7,8,9),0x"}) {
    int32_t a[10] = {}, b[10] = {};
    int mine = scanFormat(line, pattern, {&a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6], &a[7], &a[8], &a[9]});
    int libc = std::sscanf(line, pattern, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &b[8], &b[9]);
    EXPECT_EQ(mine, libc) << line;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a[i], b[i]) << line;
  }
}

TEST(ScanFormatWidths, WidthLimitsStringConversions) {
  std::string word;
  EXPECT_EQ(scanFormat("abcdef", "%3s", {&word}), 1);
  EXPECT_EQ(word, "abc");
}

}  // namespace
}  // namespace quorvel
