#include "test_zip.h"
#include "tests/support/file_bytes.h"

#include <zip.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testzip {

std::string Pack(const Parts& parts, bool store) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* buf = zip_source_buffer_create(nullptr, 0, 0, &err);
  zip_source_keep(buf);
  zip_t* za = zip_open_from_source(buf, ZIP_TRUNCATE, &err);
  for (const auto& [name, bytes] : parts) {
    zip_source_t* s = zip_source_buffer(za, bytes.data(), bytes.size(), 0);
    zip_int64_t i = zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8);
    zip_set_file_compression(za, static_cast<zip_uint64_t>(i), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
  }
  zip_close(za);
  zip_source_open(buf);
  zip_source_seek(buf, 0, SEEK_END);
  zip_int64_t size = zip_source_tell(buf);
  zip_source_seek(buf, 0, SEEK_SET);
  std::string out(static_cast<std::size_t>(size), '\0');
  zip_source_read(buf, out.data(), static_cast<zip_uint64_t>(size));
  zip_source_close(buf);
  zip_source_free(buf);
  return out;
}

Parts Unpack(const std::string& bytes) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
  zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &err);
  if (!za) throw std::runtime_error("not a zip");
  Parts parts;
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
    zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
    std::string data(st.size, '\0');
    zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    parts.emplace_back(st.name, data);
  }
  zip_discard(za);
  return parts;
}

std::string Get(const Parts& parts, const std::string& name) {
  for (const auto& p : parts)
    if (p.first == name) return p.second;
  return {};
}

void Put(Parts& parts, const std::string& name, const std::string& bytes) {
  for (auto& p : parts)
    if (p.first == name) {
      p.second = bytes;
      return;
    }
  parts.emplace_back(name, bytes);
}

std::string ReadFile(const std::string& path) { return velmora::testing::FileBytes(path); }

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string TempDir() {
  char tmpl[] = "/tmp/excel_test.XXXXXX";
  const char* d = mkdtemp(tmpl);
  return d ? d : "/tmp";
}

}  // namespace testzip
