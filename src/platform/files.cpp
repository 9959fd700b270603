#include "platform/files.h"

namespace norvik::platform {

namespace {
Status NotOpen() { return Status(kErrInvalidHandle); }
}  // namespace

Result<std::size_t> File::Read(void* buffer, std::size_t size) {
  if (!impl_) return NotOpen();
  return impl_->Read(buffer, size);
}

Result<std::size_t> File::Write(const void* buffer, std::size_t size) {
  if (!impl_) return NotOpen();
  return impl_->Write(buffer, size);
}

Status File::WriteAll(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    auto r = Write(bytes.data() + done, bytes.size() - done);
    if (!r) return r.status();
    if (*r == 0) return Status(kErrAccessDenied);  // a write that makes no progress
    done += *r;
  }
  return Status::Ok();
}

Result<std::string> File::ReadAll(std::uint64_t max_bytes) {
  if (!impl_) return NotOpen();
  auto size = impl_->Size();
  if (!size) return size.status();
  if (*size > max_bytes) return Status(kErrFileTooLarge);
  std::string bytes(static_cast<std::size_t>(*size), '\0');
  auto read = impl_->Read(bytes.data(), bytes.size());
  if (!read) return read.status();
  bytes.resize(*read);
  return bytes;
}

Result<std::uint64_t> File::Seek(std::int64_t offset, SeekFrom from) {
  if (!impl_) return NotOpen();
  return impl_->Seek(offset, from);
}

Result<std::uint64_t> File::Size() const {
  if (!impl_) return NotOpen();
  return impl_->Size();
}

Status File::SetEnd() {
  if (!impl_) return NotOpen();
  return impl_->SetEnd();
}

Status File::Flush() {
  if (!impl_) return NotOpen();
  return impl_->Flush();
}

Result<std::uint32_t> File::LinkCount() const {
  if (!impl_) return NotOpen();
  return impl_->LinkCount();
}

}  // namespace norvik::platform
