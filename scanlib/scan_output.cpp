#include "scan_output.h"

#include <charconv>

#include "platform/catalog_label.h"

namespace tavscan {
namespace {

void appendNumber(std::string &to, uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  to.append(digits, end);
}

void appendSigned(std::string &to, int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  to.append(digits, end);
}

void appendQuoted(std::string &to, std::string_view name) {
  to.push_back('"');
  const size_t start = to.size();
  to.append(name);
  for (size_t i = start; i < to.size(); ++i) {
    if (platform::catalogCannotHold(static_cast<unsigned char>(to[i]))) to[i] = '?';
  }
  to.push_back('"');
}

void appendDate(std::string &to, const CatalogDate &d) {
  for (int part : {d.day, d.month, d.year, d.hour, d.minute, d.second}) {
    to.push_back(' ');
    appendSigned(to, part);
  }
}

} // namespace

std::string catalogName(std::string_view name) {
  std::string quoted;
  appendQuoted(quoted, name);
  return quoted.substr(1, quoted.size() - 2);
}

void appendFileLine(std::string &line, std::string_view name, uint64_t size, const CatalogDate &date) {
  line.push_back(' ');
  appendQuoted(line, name);
  line.push_back(' ');
  appendNumber(line, size);
  appendDate(line, date);
}

void CatalogOutput::openFolder(std::string_view name, int64_t sizeA, int64_t sizeB, const CatalogDate &date) {
  buffer_.append(" + ");
  appendQuoted(buffer_, name);
  buffer_.push_back(' ');
  appendSigned(buffer_, sizeA);
  buffer_.push_back(' ');
  appendSigned(buffer_, sizeB);
  appendDate(buffer_, date);
  put("\r\n < \r\n");
}

void CatalogOutput::openZipFolder(std::string_view name, uint64_t size, const CatalogDate &date) {
  buffer_.append(" + ");
  appendQuoted(buffer_, name);
  buffer_.push_back(' ');
  appendNumber(buffer_, size);
  buffer_.append(" 0");
  appendDate(buffer_, date);
  put("\r\n<\r\n");
}

void CatalogOutput::memberLine(std::string_view name, uint64_t size, const CatalogDate &date) {
  appendQuoted(buffer_, name);
  buffer_.push_back(' ');
  appendNumber(buffer_, size);
  appendDate(buffer_, date);
  put("\r\n");
}

void CatalogOutput::flush() {
  if (buffer_.empty()) return;
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

} // namespace tavscan
