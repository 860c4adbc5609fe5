#include "register/register_writer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "platform/codepage.h"
#include "platform/error.h"
#include "register/field_pad.h"
#include "register/text.h"

namespace {

const char kDumpName[] = "7493.txt";
const char kRegisterName[] = "74931.txt";
const char kControlName[] = "74931.kkk";
const char kLineEnd[] = "\r\n";

// The values a record is made of.
enum Item {
  kSequence,
  kSubBranch,
  kSurname,
  kFirstName,
  kPatronymic,
  kAccount,
  kAmount,
  kCaption,
  kCount,
  kTotal,
  kFixed,
  kItemCount
};

// Where the register step reads an item in a dump line (1-based), by layout.
struct DumpColumn {
  Item item;
  int benefitStart;
  int standardStart;
  int length;
};

constexpr DumpColumn kDumpColumns[] = {
    {kSubBranch, 76, 90, 4},    // characters 6..9 of OT_KOD, after "7493/"
    {kSurname, 8, 22, 20},      // FAMILY
    {kFirstName, 29, 43, 20},   // NAME
    {kPatronymic, 50, 64, 20},  // FATHER
    {kAccount, 81, 95, 20},     // first 20 characters of NCHETA
    {kAmount, 107, 126, 20},    // SUMMA
};

// How a value becomes its field.
enum class Form {
  AsRead,      // copied unchanged, unpadded
  Padded,      // cut or blank-filled to the width
  Trimmed,     // trimmed, then padded
  Normalised,  // trimmed, brought to two decimals, then padded
};

struct RecordField {
  Item item;
  int width;
  bool rightAligned;
  Form form;
  std::string_view fixed;  // the text of a kFixed field
};

constexpr RecordField kRegisterRecord[] = {
    {kSequence, 10, false, Form::Padded, {}},    // columns 1-10
    {kFixed, 5, false, Form::Padded, "74930"},   // 11-15
    {kSubBranch, 4, false, Form::AsRead, {}},    // 16-19
    {kFixed, 19, false, Form::Padded, ""},       // 20-38, blanks
    {kSurname, 30, false, Form::Padded, {}},     // 39-68
    {kFirstName, 30, false, Form::Padded, {}},   // 69-98
    {kPatronymic, 30, false, Form::Padded, {}},  // 99-128
    {kAccount, 25, true, Form::Trimmed, {}},     // 129-153
    {kAmount, 23, true, Form::Normalised, {}},   // 154-176
    {kFixed, 32, false, Form::Padded, "810"},    // 177-208, "810" and blanks
};

constexpr RecordField kControlRecord[] = {
    {kCaption, 34, false, Form::Padded, {}},  // columns 1-34
    {kCount, 7, true, Form::Padded, {}},      // 35-41
    {kTotal, 15, true, Form::Padded, {}},     // 42-56
};

using Values = std::array<std::string_view, kItemCount>;

// The sub-string rules of the text helpers, without a copy.
std::string_view SubView(std::string_view s, int64_t p, int64_t n) {
  const auto length = static_cast<int64_t>(s.size());
  if (p < 1 || p > length || n < 0) return {};
  return s.substr(static_cast<size_t>(p - 1), static_cast<size_t>(std::min(n, length - p + 1)));
}

std::string_view TrimView(std::string_view s) {
  auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

template <size_t N>
void AppendRecord(std::string& out, const RecordField (&layout)[N], const Values& values) {
  for (const RecordField& f : layout) {
    const std::string_view value = f.item == kFixed ? f.fixed : values[f.item];
    switch (f.form) {
      case Form::AsRead:
        out.append(value);
        break;
      case Form::Padded:
        AppendPadded(out, value, f.width, f.rightAligned);
        break;
      case Form::Trimmed:
        AppendPadded(out, TrimView(value), f.width, f.rightAligned);
        break;
      case Form::Normalised:
        AppendPadded(out, NormalizeSum(std::string(value)), f.width, f.rightAligned);
        break;
    }
  }
}

void ReadDumpItems(std::string_view line, bool benefitLayout, Values& values) {
  for (const DumpColumn& c : kDumpColumns)
    values[c.item] = SubView(line, benefitLayout ? c.benefitStart : c.standardStart, c.length);
}

// The record of one dump line whose items are in `values`.
void AppendRegisterRecord(std::string& out, Values& values, int64_t sequence) {
  const std::string number = std::to_string(sequence);
  values[kSequence] = number;
  AppendRecord(out, kRegisterRecord, values);
  values[kSequence] = {};
}

// The amount text in hundredths; a text that is no amount raises
// ConvertError naming the dump and the line.
int32_t Kopecks(std::string_view amount, const std::string& dumpPath, int64_t lineNumber) {
  try {
    return SumToKopecks(std::string(TrimView(amount)));
  } catch (const ConvertError& e) {
    throw ConvertError(dumpPath + ", line " + std::to_string(lineNumber) + ": " + e.what());
  }
}

}  // namespace

std::string RegisterRecord(std::string_view dumpLine, int64_t sequence, bool benefitLayout) {
  Values values{};
  ReadDumpItems(dumpLine, benefitLayout, values);
  std::string out;
  AppendRegisterRecord(out, values, sequence);
  return out;
}

std::string ControlRecord(int64_t recordCount, std::string_view totalText) {
  static const std::string caption = Utf8ToCp866("Зачисления dbf файлов         9999");
  Values values{};
  const std::string count = std::to_string(recordCount);
  values[kCaption] = caption;
  values[kCount] = count;
  values[kTotal] = totalText;
  std::string out;
  AppendRecord(out, kControlRecord, values);
  return out;
}

std::string TotalText(int64_t hundredths) {
  const bool negative = hundredths < 0;
  const uint64_t magnitude = negative ? uint64_t{0} - static_cast<uint64_t>(hundredths)
                                      : static_cast<uint64_t>(hundredths);
  std::string digits = std::to_string(magnitude);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  const size_t split = digits.size() - 2;
  return (negative ? "-" : "") + digits.substr(0, split) + "." + digits.substr(split);
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (!directory.empty() && directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

RegisterSummary WriteRegister(std::string directory, bool benefitLayout, FileSystem& fs) {
  const std::string dumpPath = JoinPath(directory, kDumpName);
  LineFileReader dump(dumpPath, fs);

  // The register goes to a temporary file that replaces 74931.txt only at
  // the commit; an error before it leaves the earlier register as it was.
  AtomicFileWriter registerFile(JoinPath(directory, kRegisterName), fs);
  std::string block;
  block.reserve(AtomicFileWriter::kBlockSize + 4096);
  int64_t total = 0;
  int64_t count = 0;
  for (std::string_view line; dump.Next(line);) {
    if (++count > std::numeric_limits<int32_t>::max())
      throw Error(dumpPath + ": too many lines for one register");
    Values values{};
    ReadDumpItems(line, benefitLayout, values);
    AppendRegisterRecord(block, values, count);
    block += kLineEnd;
    total += Kopecks(values[kAmount], dumpPath, count);
    if (block.size() >= AtomicFileWriter::kBlockSize) {
      registerFile.Append(block);
      block.clear();
    }
  }
  registerFile.Append(block);
  registerFile.Commit();

  RegisterSummary summary;
  summary.RecordCount = static_cast<int32_t>(count);
  summary.TotalText = TotalText(total);
  WriteFileAtomically(JoinPath(directory, kControlName),
                      ControlRecord(summary.RecordCount, summary.TotalText) + kLineEnd, fs);
  return summary;
}
