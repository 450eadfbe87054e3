// Inspection of image files: the plain line and the JSON object.
#include "cli/info.h"

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/wsq_segments.h"
#include "imagelib/extension.h"
#include "imagelib/file_io.h"
#include "imagelib/image_library.h"
#include "wsq/fet.h"

namespace {

using json = nlohmann::ordered_json;

struct Facts {
  std::string format;
  ImageRecord image;
  ImageInfo info;
  bool wsq = false;
  // WSQ files only: the codestream's size and layout.
  size_t file_bytes = 0;
  WsqLayout layout;
};

bool is_nistcom(const std::string& comment) { return comment.starts_with("NIST_COM"); }

uint32_t depth_of(const Facts& facts) {
  return facts.wsq ? facts.info.depth_or_quality : facts.image.bits_per_pixel;
}

void print_line(const std::string& file, const Facts& facts) {
  std::printf("%s: width = %u, height = %u", file.c_str(), facts.image.width, facts.image.height);
  if (facts.image.ppi > 0) {
    std::printf(", dpi = %d", facts.image.ppi);
  } else if (facts.wsq) {
    std::printf(", dpi unknown");
  }
  std::printf(", depth = %u", depth_of(facts));
  if (facts.wsq) {
    const std::string last = facts.info.comment.value_or("");
    std::printf(", Comments: %s", one_line(last).c_str());
    for (const std::string& comment : facts.layout.comments) {
      if (is_nistcom(comment) && comment != last) std::printf(", NISTCOM: %s", one_line(comment).c_str());
    }
  }
  std::printf("\n");
}

json nistcom_fields(const std::vector<std::string>& comments) {
  json fields = json::object();
  for (const std::string& comment : comments) {
    if (!is_nistcom(comment)) continue;
    std::unique_ptr<FET> fet;
    if (string2fet(fet, comment) != 0 || !fet) continue;
    for (int32_t i = 0; i < fet->count; ++i) fields[fet->names[i]] = fet->values[i].value_or("");
    break;
  }
  return fields;
}

// The codestream's own facts: NISTCOM fields, comments, bitrate, segments.
void add_wsq_facts(json& object, const Facts& facts) {
  const WsqLayout& layout = facts.layout;
  object["nistcom"] = nistcom_fields(layout.comments);
  object["comments"] = layout.comments;
  const double pixels = static_cast<double>(facts.image.width) * facts.image.height;
  object["bitrate"] = pixels > 0 ? static_cast<double>(facts.file_bytes) * 8 / pixels : 0.0;
  json segments = json::array();
  for (const WsqSegment& segment : layout.segments) {
    segments.push_back({{"marker", segment.name}, {"offset", segment.offset}, {"length", segment.length}});
  }
  object["segments"] = std::move(segments);
}

void print_json(const std::string& file, const Facts& facts) {
  json object = {{"file", file},
                 {"format", facts.format},
                 {"width", facts.image.width},
                 {"height", facts.image.height},
                 {"depth", depth_of(facts)}};
  object["ppi"] = facts.image.ppi > 0 ? json(facts.image.ppi) : json(nullptr);
  if (facts.wsq) add_wsq_facts(object, facts);
  // Invalid UTF-8 in comments is replaced rather than refused.
  std::printf("%s\n", object.dump(-1, ' ', false, json::error_handler_t::replace).c_str());
}

}  // namespace

std::string one_line(const std::string& text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' || text[i] == '\r') {
      if (i + 1 < text.size()) line += "; ";
    } else {
      line += text[i];
    }
  }
  return line;
}

bool print_file_info(const std::string& file, const CliOptions& options) {
  Facts facts;
  facts.format = extension_key(file).value_or("");
  facts.wsq = facts.format == "WSQ";
  facts.image.max_pixels = options.max_pixels.value_or(kDefaultMaxPixels);
  facts.image.max_file_size = options.max_file_size.value_or(kDefaultMaxFileSize);
  if (load_image(file, facts.image, &facts.info) != NoError) {
    std::fprintf(stderr, "wsqconv: %s: %s\n", file.c_str(), get_last_error_message());
    return false;
  }
  if (facts.wsq) {
    std::vector<uint8_t> bytes;
    if (read_whole_file(file, bytes, facts.image.max_file_size) == NoError) {
      facts.file_bytes = bytes.size();
      facts.layout = wsq_layout(bytes);
    }
  }
  if (options.json) {
    print_json(file, facts);
  } else {
    print_line(file, facts);
  }
  return true;
}
