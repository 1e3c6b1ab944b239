#include "sheetlib/read/relationships.h"

#include <cstring>

namespace sheetlib {

std::string relationships_part_of(std::string_view part_name) {
  const std::size_t slash = part_name.rfind('/');
  const std::string_view folder = slash == std::string_view::npos ? std::string_view() : part_name.substr(0, slash + 1);
  const std::string_view file = slash == std::string_view::npos ? part_name : part_name.substr(slash + 1);
  std::string rels(folder);
  rels += "_rels/";
  rels += file;
  rels += ".rels";
  return rels;
}

std::string resolve_target(std::string_view source_part, std::string_view target) {
  std::string path;
  std::string cleaned(target);
  for (char& c : cleaned)
    if (c == '\\') c = '/';
  if (cleaned.empty() || cleaned.front() != '/') {
    const std::size_t slash = source_part.rfind('/');
    if (slash != std::string_view::npos) path.assign(source_part.substr(0, slash + 1));
  }
  path += cleaned;

  // Remove "." and empty segments and apply ".." (never above the root).
  std::vector<std::string_view> segments;
  std::string_view rest = path;
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      continue;
    }
    segments.push_back(segment);
  }
  std::string resolved;
  for (const std::string_view segment : segments) {
    if (!resolved.empty()) resolved += '/';
    resolved += segment;
  }
  return resolved;
}

bool has_type(const Relationship& relationship, std::string_view kind) {
  const std::string_view type = relationship.type;
  return type.size() > kind.size() && type.substr(type.size() - kind.size()) == kind &&
         type[type.size() - kind.size() - 1] == '/';
}

void RelationshipsHandler::start(xml::Name name, const xml::Attributes& attributes) {
  if (!name.is(xml::Ns::package_rel, "Relationship")) return;
  const char* id = attributes.find(xml::Ns::none, "Id");
  const char* type = attributes.find(xml::Ns::none, "Type");
  const char* target = attributes.find(xml::Ns::none, "Target");
  const char* mode = attributes.find(xml::Ns::none, "TargetMode");
  if (!id || !type || !target) return;
  const bool external = mode && std::strcmp(mode, "External") == 0;
  if (external && !keep_external_) return;
  by_id_.emplace(id, relationships_.size());
  relationships_.push_back({id, type, external ? std::string(target) : resolve_target(source_part_, target), external});
}

const Relationship* RelationshipsHandler::find_id(std::string_view id) const {
  const auto found = by_id_.find(std::string(id));
  return found == by_id_.end() ? nullptr : &relationships_[found->second];
}

const Relationship* RelationshipsHandler::find_type(std::string_view kind) const {
  for (const Relationship& relationship : relationships_)
    if (has_type(relationship, kind)) return &relationship;
  return nullptr;
}

}  // namespace sheetlib
