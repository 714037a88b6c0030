#pragma once
// A form's icon, loaded from an .ico file. Nothing is drawn; the icon keeps
// what tells it was a real one (its images and their sizes).
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Icon {
 public:
  struct Image {
    int width = 0, height = 0, bit_count = 0;
  };

  // Loads the icon from the file (a GBK path; "\" or "/" separate folders).
  // A missing or unreadable file raises "Cannot open file ..."; a file that is
  // not an icon (bad header, no image, an image outside the file) raises
  // "Invalid icon ...". On error the icon keeps what it had.
  void LoadFromFile(std::string_view path);

  bool Empty() const { return images_.empty(); }
  const std::vector<Image>& Images() const { return images_; }
  // The file it was loaded from (GBK), empty before loading.
  const std::string& FileName() const { return file_name_; }

 private:
  std::vector<Image> images_;
  std::string file_name_;
};

}  // namespace forms
