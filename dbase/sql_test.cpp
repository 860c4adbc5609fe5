#include "dbase/sql.h"

#include <gtest/gtest.h>

#include "dbase/query.h"

namespace {

TEST(SqlTest, StatementsOfTheProcessingRunParse) {
  const char* accepted[] = {
      "update 'SPISOK.DBF' set lchet=181000",
      "update 'SPISOK.DBF' set lchet='181000'",
      "update 'mrg7493.dbf' set OT_KOD='7493/0165' where OT_KOD='7493/0086'",
      "create table 'mrg7493.dbf' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),FATHER "
      "CHAR(20),"
      "OT_KOD CHAR(9),NCHETA CHAR(30),SUMMA NUMERIC(11,2))",
      ("insert into 'mrg7493.dbf' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA) values "
       "(181000,'F','I','O','7493/0086','12345678901234567890','1520.5')"),
      "select * from 'SPISOK.DBF'",
      "select * from mrg7493.dbf",
      "  SELECT  *  FROM  mrg7493.dbf  ",
      "Insert Into 'a.dbf' ( x , y ) Values ( -1.25 , '' )",
      "update 'a.dbf' set a=1, b='x' where c=-2",
  };
  for (const char* text : accepted) EXPECT_NO_THROW(ParseStatement(text)) << text;
}

TEST(SqlTest, InsertKeepsNamesValuesAndPositions) {
  const std::string text = "insert into 'mrg7493.dbf' (LCHET,FAMILY) values (181000,'O''Brien')";
  const Statement st = ParseStatement(text);
  EXPECT_EQ(st.kind, SqlKind::Insert);
  EXPECT_EQ(st.table.text, "mrg7493.dbf");
  ASSERT_EQ(st.columns.size(), 2u);
  EXPECT_EQ(st.columns[1].text, "FAMILY");
  ASSERT_EQ(st.values.size(), 2u);
  EXPECT_EQ(st.values[0].text, "181000");
  EXPECT_FALSE(st.values[0].quoted);
  EXPECT_EQ(st.values[1].text, "O'Brien");
  EXPECT_TRUE(st.values[1].quoted);
  EXPECT_EQ(st.values[1].position, text.find("'O'") + 1);
}

TEST(SqlTest, UpdateAndCreateKeepTheirParts) {
  const Statement up =
      ParseStatement("update 'm.dbf' set OT_KOD='7493/0165' where OT_KOD='7493/0086'");
  ASSERT_EQ(up.sets.size(), 1u);
  EXPECT_EQ(up.sets[0].value.text, "7493/0165");
  ASSERT_TRUE(up.where.has_value());
  EXPECT_EQ(up.where->value.text, "7493/0086");
  const Statement cr = ParseStatement("create table 'm.dbf' (A CHAR(6), S NUMERIC(11,2))");
  ASSERT_EQ(cr.definitions.size(), 2u);
  EXPECT_FALSE(cr.definitions[0].numeric);
  EXPECT_EQ(cr.definitions[0].width, 6);
  EXPECT_TRUE(cr.definitions[1].numeric);
  EXPECT_EQ(cr.definitions[1].width, 11);
  EXPECT_EQ(cr.definitions[1].decimals, 2);
  const Statement bare = ParseStatement("select * from mrg7493.dbf");
  EXPECT_EQ(bare.table.text, "mrg7493.dbf");
}

struct Refused {
  const char* text;
  int position;
  const char* expected;
};

const Refused kRefused[] = {
    {"", 1, "SELECT, INSERT, UPDATE or CREATE TABLE"},
    {"delete from 'a.dbf'", 1, "SELECT, INSERT, UPDATE or CREATE TABLE"},
    {"select a from 'a.dbf'", 8, "\"*\""},
    {"select * from", 14, "a table file name"},
    {"select * from 'a.dbf' where x=1", 23, "the end of the statement"},
    {"update a.dbf set x=1", 8, "a table file name in apostrophes"},
    {"update '' set x=1", 8, "a table file name in apostrophes"},
    {"update 'a.dbf set x=1", 22, "a closing apostrophe"},
    {"update 'a.dbf' x=1", 16, "SET"},
    {"update 'a.dbf' set x 1", 22, "\"=\""},
    {"update 'a.dbf' set x=", 22, "a number or a quoted text"},
    {"update 'a.dbf' set x=1.", 24, "digits after the decimal point"},
    {"update 'a.dbf' set x=12abc", 24, "a number or a quoted text"},
    {"update 'a.dbf' set x=abc", 22, "a number or a quoted text"},
    {"update 'a.dbf' set x=1 where", 29, "a column name"},
    {"update 'a.dbf' set x=1 where y='a' z", 36, "the end of the statement"},
    {"insert into 'a.dbf' (a,b values (1,2)", 26, "\")\""},
    {"insert into 'a.dbf' (a,) values (1)", 24, "a column name"},
    {"insert into 'a.dbf' (a) (1)", 25, "VALUES"},
    {"insert into 'a.dbf' (a) values (1", 34, "\")\""},
    {"insert 'a.dbf' (a) values (1)", 8, "INTO"},
    {"create 'a.dbf' (A CHAR(1))", 8, "TABLE"},
    {"create table 'a.dbf' (A VARCHAR(1))", 25, "CHAR or NUMERIC"},
    {"create table 'a.dbf' (A CHAR())", 30, "the width of the CHAR column"},
    {"create table 'a.dbf' (A NUMERIC(11))", 35, "\",\""},
    {"create table 'a.dbf' (A NUMERIC(11,x))", 36, "the scale of the NUMERIC column"},
    {"create table 'a.dbf' (A CHAR(5)", 32, "\")\""},
};

TEST(SqlTest, RefusedTextsNamePositionAndWhatWasExpected) {
  for (const Refused& r : kRefused) {
    try {
      ParseStatement(r.text);
      ADD_FAILURE() << "accepted: " << r.text;
    } catch (const DbError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("position " + std::to_string(r.position) + " "), std::string::npos)
          << r.text << "\n"
          << message;
      EXPECT_NE(message.find(std::string("expected ") + r.expected), std::string::npos)
          << r.text << "\n"
          << message;
      EXPECT_NE(message.find(r.text), std::string::npos) << message;
    }
  }
}

}  // namespace
