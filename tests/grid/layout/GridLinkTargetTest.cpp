#include <gtest/gtest.h>

#include "grid/layout/GridLinkTarget.h"

namespace metrazil {
namespace {

TEST(LinkTarget, CellLinks) {
  const auto link = ParseCellLink("cell://r12C3");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->row, 12);
  EXPECT_EQ(link->col, 3);
  const auto huge = ParseCellLink("CELL://R99999999999999999999999C0");
  ASSERT_TRUE(huge);
  EXPECT_GT(huge->row, 0x7fffffffLL);
  for (const char* bad : {"CELL://R1", "CELL://RC1", "CELL://R1C", "CELL://R1C2x", "CELL://R-1C2", "CELL:/R1C2",
                          "CELL://R 1C2", "http://R1C2", ""})
    EXPECT_FALSE(ParseCellLink(bad)) << bad;
}

TEST(LinkTarget, OnlyWebAndMailSchemesMayOpen) {
  for (const char* ok : {"http://example.com/", "HTTPS://example.com/a?b", "mailto:a@example.com", "MailTo:x"})
    EXPECT_TRUE(IsAllowedExternalLink(ok)) << ok;
  for (const char* scheme : {"http", "https", "mailto"}) EXPECT_TRUE(IsAllowedLinkScheme(scheme)) << scheme;
  for (const char* scheme : {"", "file", "javascript", "HTTP"}) EXPECT_FALSE(IsAllowedLinkScheme(scheme)) << scheme;
  for (const char* refused :
       {"file:///bin/sh", "C:\\Windows\\calc.exe", "calc.exe", "javascript:alert(1)", "smb://host/share",
        " http://example.com", "ftp://example.com", "x-custom://run", "httpx://a", "http", ""})
    EXPECT_FALSE(IsAllowedExternalLink(refused)) << refused;
}

}  // namespace
}  // namespace metrazil
