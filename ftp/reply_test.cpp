#include "ftp/reply.h"

#include <gtest/gtest.h>

#include "ftp/ftp_error.h"

namespace {

// Feeds `bytes` in pieces cut at `cuts` and collects every reply.
std::vector<Reply> ReadAll(const std::string& bytes, const std::vector<size_t>& cuts = {}) {
  ReplyReader reader;
  std::vector<Reply> out;
  size_t from = 0;
  std::vector<size_t> ends = cuts;
  ends.push_back(bytes.size());
  for (size_t end : ends) {
    reader.Feed(std::string_view(bytes).substr(from, end - from));
    from = end;
    while (auto r = reader.Next()) out.push_back(*r);
  }
  return out;
}

struct GoodCase {
  const char* name;
  std::string bytes;
  std::vector<int> codes;
  std::vector<size_t> lineCounts;
  std::string firstLine;
};

const GoodCase kGood[] = {
    {"single line", "220 Ready\r\n", {220}, {1}, "220 Ready"},
    {"bare LF ends a line too", "250 OK\n", {250}, {1}, "250 OK"},
    {"code alone", "200\r\n", {200}, {1}, "200"},
    {"multi-line", "230-Welcome\r\n230-  rules\r\n230 Logged in\r\n", {230}, {3}, "230-Welcome"},
    {"inner lines may look like codes",
     "211-Status\r\n 211 indented\r\n200 other code\r\n211-still open\r\n211 End\r\n",
     {211},
     {5},
     "211-Status"},
    {"two replies in one piece", "150 Opening\r\n226 Done\r\n", {150, 226}, {1, 1}, "150 Opening"},
    {"empty inner line", "220-Hello\r\n\r\n220 Ready\r\n", {220}, {3}, "220-Hello"},
    {"1251 text kept as bytes", "550 \xCD\xE5\xF2\r\n", {550}, {1}, "550 \xCD\xE5\xF2"},
};

TEST(ReplyReader, ReadsWellFormedReplies) {
  for (const GoodCase& c : kGood) {
    std::vector<Reply> replies = ReadAll(c.bytes);
    ASSERT_EQ(replies.size(), c.codes.size()) << c.name;
    for (size_t i = 0; i < replies.size(); ++i) {
      EXPECT_EQ(replies[i].code, c.codes[i]) << c.name;
      EXPECT_EQ(replies[i].lines.size(), c.lineCounts[i]) << c.name;
    }
    EXPECT_EQ(replies[0].FirstLine(), c.firstLine) << c.name;
  }
}

TEST(ReplyReader, GivesTheSameRepliesWhereverTheBytesAreSplit) {
  for (const GoodCase& c : kGood) {
    std::vector<Reply> whole = ReadAll(c.bytes);
    for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
      std::vector<Reply> split = ReadAll(c.bytes, {cut});
      ASSERT_EQ(split.size(), whole.size()) << c.name << " cut at " << cut;
      for (size_t i = 0; i < split.size(); ++i) EXPECT_EQ(split[i].lines, whole[i].lines);
    }
    std::vector<size_t> everyByte;
    for (size_t i = 1; i < c.bytes.size(); ++i) everyByte.push_back(i);
    std::vector<Reply> bytewise = ReadAll(c.bytes, everyByte);
    ASSERT_EQ(bytewise.size(), whole.size()) << c.name << " byte by byte";
    for (size_t i = 0; i < bytewise.size(); ++i) EXPECT_EQ(bytewise[i].lines, whole[i].lines);
  }
}

TEST(ReplyReader, WaitsForTheLastLineOfAMultiLineReply) {
  ReplyReader reader;
  reader.Feed("220-Hello\r\n220 Rea");
  EXPECT_FALSE(reader.Next());
  reader.Feed("dy\r\n");
  auto reply = reader.Next();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->lines.back(), "220 Ready");
}

struct BadCase {
  const char* name;
  std::string bytes;
};

TEST(ReplyReader, RefusesMalformedOrOversizedReplies) {
  std::string manyLines = "220-start\r\n";
  for (int i = 0; i < 100; ++i) manyLines += "line\r\n";
  std::string hugeReply = "220-start\r\n";
  for (int i = 0; i < 20; ++i) hugeReply += std::string(4000, 'x') + "\r\n";
  const BadCase cases[] = {
      {"no code", "hello\r\n"},
      {"two digits", "22 Ready\r\n"},
      {"letter in the code", "2x0 Ready\r\n"},
      {"first digit 6", "600 Ready\r\n"},
      {"first digit 0", "020 Ready\r\n"},
      {"no blank after the code", "220Ready\r\n"},
      {"empty line", "\r\n"},
      {"binary garbage", std::string("\x00\xFF\x01\r\n", 5)},
      {"line too long", "220 " + std::string(5000, 'a') + "\r\n"},
      {"line too long without an end", "220 " + std::string(5000, 'a')},
      {"more than 100 lines", manyLines},
      {"more than 64 KiB", hugeReply},
  };
  for (const BadCase& c : cases) {
    ReplyReader reader;
    EXPECT_THROW(
        {
          reader.Feed(c.bytes);
          reader.Next();
        },
        FtpError)
        << c.name;
    EXPECT_THROW(reader.Next(), FtpError) << c.name << ": a spoilt reader keeps refusing";
  }
}

TEST(ReplyReader, AcceptsALineOfExactlyTheLimit) {
  std::string line = "220 " + std::string(kMaxLineBytes - 4, 'a');
  EXPECT_EQ(ReadAll(line + "\r\n").at(0).FirstLine(), line);
  EXPECT_THROW(ReadAll(line + "a\r\n"), FtpError);
}

TEST(ClassifyReply, JudgesByTheFirstDigit) {
  const std::pair<int, ReplyKind> cases[] = {
      {125, ReplyKind::Preliminary},      {150, ReplyKind::Preliminary},
      {226, ReplyKind::Completion},       {331, ReplyKind::Intermediate},
      {425, ReplyKind::TransientFailure}, {553, ReplyKind::PermanentFailure},
  };
  for (auto [code, kind] : cases) {
    Reply reply{code, {std::to_string(code) + " text"}};
    EXPECT_EQ(ClassifyReply(reply), kind) << code;
    EXPECT_EQ(IsFailure(reply), code >= 400) << code;
  }
}

}  // namespace
