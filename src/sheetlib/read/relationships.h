// A relationships part (.rels): which part a source part points to, by id
// and by relationship type.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

struct Relationship {
  std::string id;
  std::string type;
  std::string target;  // part name, resolved against the source part; an external one as written
  bool external = false;
};

// The relationships part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels";
// the package itself ("") -> "_rels/.rels".
std::string relationships_part_of(std::string_view part_name);

// Resolves a relationship target against the part that holds it: relative
// ("worksheets/sheet1.xml", "../xl/a.xml") or absolute ("/xl/a.xml"), '\'
// read as '/'.
std::string resolve_target(std::string_view source_part, std::string_view target);

// True when the type is `kind` ("worksheet", "officeDocument", …) in the
// transitional or the strict vocabulary: both end in "/" + kind.
bool has_type(const Relationship& relationship, std::string_view kind);

class RelationshipsHandler : public xml::Handler {
 public:
  // External targets (links to other files, web addresses) are no parts:
  // they are left out unless `keep_external`.
  explicit RelationshipsHandler(std::string source_part, bool keep_external = false)
      : source_part_(std::move(source_part)), keep_external_(keep_external) {}
  void start(xml::Name name, const xml::Attributes& attributes) override;
  void end(xml::Name) override {}

  const std::vector<Relationship>& relationships() const { return relationships_; }
  const Relationship* find_id(std::string_view id) const;
  const Relationship* find_type(std::string_view kind) const;

 private:
  std::string source_part_;
  bool keep_external_;
  std::vector<Relationship> relationships_;
  // Positions by id, the first of an id kept: a workbook of many sheets looks
  // each one up, and a hostile one may name none of its relationships.
  std::unordered_map<std::string, std::size_t> by_id_;
};

}  // namespace sheetlib
