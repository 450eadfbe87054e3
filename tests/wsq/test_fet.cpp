// Name/value lists: update, growth, lookup and the NISTCOM text form.
#include <gtest/gtest.h>

#include <string>

#include "wsq/diagnostics.h"
#include "wsq/fet.h"

namespace {

std::unique_ptr<FET> parse(const std::string& text) {
  std::unique_ptr<FET> fet;
  EXPECT_EQ(string2fet(fet, text), 0);
  return fet;
}

std::string value_of(const FET& fet, const std::string& name) {
  std::optional<std::string> value;
  EXPECT_EQ(lookupfet(value, name, fet), 1) << name;
  return value.value_or("<none>");
}

TEST(Fet, UpdateReplacesOrAppends) {
  std::unique_ptr<FET> fet;
  ASSERT_EQ(allocfet_ret(fet, 6), 0);
  ASSERT_EQ(updatefet_ret("A", "1", *fet), 0);
  ASSERT_EQ(updatefet_ret("B", std::nullopt, *fet), 0);
  ASSERT_EQ(updatefet_ret("A", "2", *fet), 0);
  EXPECT_EQ(fet->count, 2);
  EXPECT_EQ(fet->names[0], "A");
  EXPECT_EQ(value_of(*fet, "A"), "2");
  EXPECT_EQ(value_of(*fet, "B"), "<none>");
  ASSERT_EQ(updatefet_ret("B", "x", *fet), 0);
  EXPECT_EQ(value_of(*fet, "B"), "x");
  EXPECT_EQ(fet->names[1], "B");
}

TEST(Fet, GrowsByATenthAtLeastTen) {
  std::unique_ptr<FET> fet;
  ASSERT_EQ(allocfet_ret(fet, 6), 0);
  for (int i = 0; i < 7; i++) ASSERT_EQ(updatefet_ret("N" + std::to_string(i), "v", *fet), 0);
  EXPECT_EQ(fet->capacity, 16);
  std::string text;
  for (int i = 0; i < 101; i++) text += "E" + std::to_string(i) + " " + std::to_string(i) + "\n";
  std::unique_ptr<FET> parsed = parse(text);
  EXPECT_EQ(parsed->count, 101);
  EXPECT_EQ(parsed->capacity, 110);
  EXPECT_EQ(value_of(*parsed, "E100"), "100");
  std::unique_ptr<FET> none;
  ASSERT_EQ(reallocfet_ret(none, 4), 0);
  EXPECT_EQ(none->capacity, 4);
}

TEST(Fet, LookupAndExtractOfAbsentNames) {
  std::unique_ptr<FET> fet = parse("PPI 500");
  std::optional<std::string> value = "untouched";
  CapturedDiagnostics diag;
  EXPECT_EQ(lookupfet(value, "DPI", *fet), 0);
  EXPECT_EQ(value, "untouched");
  EXPECT_EQ(diag.text(), "");
  EXPECT_EQ(extractfet_ret(value, "DPI", *fet), -2);
  EXPECT_EQ(diag.text(), "ERROR : extractfet_ret : feature DPI not found\n");
  ASSERT_EQ(extractfet_ret(value, "PPI", *fet), 0);
  EXPECT_EQ(value, "500");
}

TEST(Fet, ParseSkipsBlanksBetweenNameAndValueAndBlankLines) {
  std::unique_ptr<FET> fet = parse("A  1\nB\tx y\n\nC 2");
  ASSERT_EQ(fet->count, 3);
  EXPECT_EQ(value_of(*fet, "A"), "1");
  EXPECT_EQ(value_of(*fet, "B"), "x y");
  EXPECT_EQ(value_of(*fet, "C"), "2");
}

TEST(Fet, ParseKeepsValueBlanksAndJoinsNameLines) {
  std::unique_ptr<FET> fet = parse("NIST_COM 1\nX\nY 5\nZ a\tb \r\nLAST");
  ASSERT_EQ(fet->count, 4);
  EXPECT_EQ(fet->names[1], "X\nY");
  EXPECT_EQ(value_of(*fet, "X\nY"), "5");
  EXPECT_EQ(value_of(*fet, "Z"), "a\tb \r");
  EXPECT_EQ(value_of(*fet, "LAST"), "<none>");
}

TEST(Fet, ParseRepeatedNameKeepsFirstPlaceAndLastValue) {
  std::unique_ptr<FET> fet = parse("A 1\nB 2\nA 3");
  ASSERT_EQ(fet->count, 2);
  EXPECT_EQ(fet->names[0], "A");
  EXPECT_EQ(value_of(*fet, "A"), "3");
}

TEST(Fet, ParseFailures) {
  std::unique_ptr<FET> fet;
  CapturedDiagnostics diag;
  EXPECT_EQ(string2fet(fet, " A 1"), -2);
  EXPECT_EQ(string2fet(fet, "\tA 1"), -2);
  EXPECT_EQ(diag.text(), "ERROR : string2fet : empty name string found\n"
                         "ERROR : string2fet : empty name string found\n");
  EXPECT_NE(string2fet(fet, std::string(512, 'N') + " 1"), 0);
  EXPECT_NE(string2fet(fet, "N " + std::string(512, 'v')), 0);
  EXPECT_FALSE(fet);
  EXPECT_EQ(string2fet(fet, std::string(511, 'N') + " " + std::string(511, 'v')), 0);
}

TEST(Fet, ParseStopsAtNul) {
  std::unique_ptr<FET> fet = parse(std::string("A 1\0B 2", 7));
  EXPECT_EQ(fet->count, 1);
}

TEST(Fet, TextForm) {
  std::unique_ptr<FET> fet = parse("A 1\nB x y\nC");
  std::string text;
  ASSERT_EQ(fet2string(text, *fet), 0);
  EXPECT_EQ(text, "A 1\nB x y\nC ");
  std::unique_ptr<FET> empty;
  ASSERT_EQ(allocfet_ret(empty, 3), 0);
  text = "old";
  ASSERT_EQ(fet2string(text, *empty), 0);
  EXPECT_EQ(text, "");
}

}  // namespace
