#include "dbase/table_cache.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "dbase/dbf_format.h"
#include "dbase/engine.h"

namespace {

constexpr auto kRecheckInterval = std::chrono::milliseconds(10);
constexpr size_t kTailWindow = 4 << 20;
constexpr uint64_t kGrowStep = 1 << 20;
constexpr size_t kCacheEntries = 8;

uint64_t RoundUp(uint64_t n, uint64_t step) { return (n + step - 1) / step * step; }

// Today's header date, looked up again at most once a minute.
void HeaderDate(char* out) {
  static std::time_t checked = 0;
  static uint8_t date[3];
  const std::time_t now = std::time(nullptr);
  if (now < checked || now - checked >= 60) {
    TodayForHeader(date);
    checked = now;
  }
  std::memcpy(out, date, 3);
}

}  // namespace

OpenTable::OpenTable(const std::string& path) : file_(path, DbFile::Mode::ReadWrite) {
  identity_ = file_.Identity();
  header_ = ReadHeader(file_, identity_.size);
  dataEnd_ =
      header_.headerLength + static_cast<uint64_t>(header_.recordCount) * header_.recordLength;
  head_ = MappedRegion(file_, 0, MappedRegion::PageSize());
  verified = std::chrono::steady_clock::now();
}

OpenTable::~OpenTable() {
  try {
    Settle();
  } catch (...) {
  }
}

bool OpenTable::SameInode(const FileIdentity& now) const {
  return now.device == identity_.device && now.inode == identity_.inode;
}

bool OpenTable::SameFile(const FileIdentity& now) const {
  return now.device == identity_.device && now.inode == identity_.inode &&
         now.size == identity_.size;
}

bool OpenTable::HeaderUnchanged() const {
  const auto* h = reinterpret_cast<const uint8_t*>(head_.At(0));
  return dbf::GetUnsigned(h, dbf::kRecordCount) == header_.recordCount &&
         dbf::GetUnsigned(h, dbf::kHeaderLength) == header_.headerLength &&
         dbf::GetUnsigned(h, dbf::kRecordLength) == header_.recordLength &&
         h[dbf::kLanguageDriver.offset] == header_.language &&
         h[dbf::kVersion.offset] == header_.version;
}

void OpenTable::Append(const char* record) {
  const size_t length = header_.recordLength;
  if (header_.recordCount == UINT32_MAX) throw DbError("Table " + Path() + " is full");
  const uint64_t need = dataEnd_ + length + 1;
  bool grown = false;
  if (need > identity_.size) {
    const uint64_t size =
        RoundUp(need + std::max(kGrowStep, identity_.size / 8), MappedRegion::PageSize());
    file_.Reserve(size);
    identity_.size = size;
    grown = true;
  }
  if (!tail_.Covers(dataEnd_, length + 1)) {
    const uint64_t start = dataEnd_ / MappedRegion::PageSize() * MappedRegion::PageSize();
    tail_ = MappedRegion();
    tail_ = MappedRegion(
        file_, start,
        std::max<size_t>(kTailWindow, RoundUp(length + 1, MappedRegion::PageSize()) * 2));
    grown = true;
  }
  if (grown) tail_.Prefault(dataEnd_, identity_.size - dataEnd_);
  appended_ = true;
  char* at = tail_.At(dataEnd_);
  std::memcpy(at, record, length);
  at[length] = static_cast<char>(dbf::kEndOfFile);
  dataEnd_ += length;
  ++header_.recordCount;
  char* head = head_.At(0);
  HeaderDate(head + dbf::kUpdateYear.offset);
  dbf::PutUnsigned(reinterpret_cast<uint8_t*>(head), dbf::kRecordCount, header_.recordCount);
}

void OpenTable::Touch() { HeaderDate(head_.At(0) + dbf::kUpdateYear.offset); }

void OpenTable::Settle() {
  if (!appended_) return;
  const uint64_t end = dataEnd_ + 1;
  tail_ = MappedRegion();
  // Cut only our own padding: a file changed by someone else is left alone.
  if (identity_.size > end && SameFile(file_.Identity())) {
    file_.Truncate(end);
    identity_.size = end;
  }
  appended_ = false;
}

OpenTable& TableCache::Acquire(const std::string& directory, std::string_view name) {
  const auto now = std::chrono::steady_clock::now();
  if (last_ != nullptr && name == lastName_ && directory == lastDirectory_ &&
      now - last_->verified < kRecheckInterval && last_->HeaderUnchanged())
    return *last_;
  last_ = nullptr;
  const std::string path = ResolveTablePath(directory, name, true);
  FileIdentity identity;
  if (!IdentityOfPath(path, identity)) throw DbError("Table " + path + " does not exist");
  OpenTable* table = nullptr;
  for (auto it = tables_.begin(); it != tables_.end(); ++it) {
    if (!(*it)->SameInode(identity)) continue;
    if ((*it)->SameFile(identity) && (*it)->HeaderUnchanged()) {
      table = it->get();
    } else {
      tables_.erase(it);  // changed behind our back
    }
    break;
  }
  if (table == nullptr) {
    if (tables_.size() >= kCacheEntries) tables_.erase(tables_.begin());
    tables_.push_back(std::make_unique<OpenTable>(path));
    table = tables_.back().get();
  }
  table->verified = now;
  last_ = table;
  lastDirectory_ = directory;
  lastName_ = name;
  return *table;
}

void TableCache::Settle(const std::string& path) {
  FileIdentity identity;
  if (!IdentityOfPath(path, identity)) return;
  for (auto& t : tables_)
    if (t->SameInode(identity)) t->Settle();
}

void TableCache::Forget(const std::string& path) {
  FileIdentity identity;
  const bool exists = IdentityOfPath(path, identity);
  std::erase_if(tables_, [&](const std::unique_ptr<OpenTable>& t) {
    return t->Path() == path || (exists && t->SameInode(identity));
  });
  last_ = nullptr;
}

void TableCache::Clear() {
  tables_.clear();
  last_ = nullptr;
}
