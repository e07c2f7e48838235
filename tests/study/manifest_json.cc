#include "manifest_json.h"

#include <json-c/json.h>

namespace study_testing {

std::optional<std::vector<std::string>> inputs_by_json_c(const std::string& text) {
  json_tokener* tok = json_tokener_new();
  json_tokener_set_flags(tok, JSON_TOKENER_STRICT | JSON_TOKENER_VALIDATE_UTF8);
  json_object* root = json_tokener_parse_ex(tok, text.c_str(), static_cast<int>(text.size()));
  const bool whole = json_tokener_get_error(tok) == json_tokener_success;
  json_tokener_free(tok);
  if (root == nullptr || !whole) return std::nullopt;
  std::vector<std::string> files;
  json_object* inputs = nullptr;
  if (json_object_object_get_ex(root, "inputs", &inputs))
    for (std::size_t k = 0; k < json_object_array_length(inputs); ++k) {
      json_object* file = nullptr;
      json_object_object_get_ex(json_object_array_get_idx(inputs, k), "file", &file);
      files.emplace_back(json_object_get_string(file), static_cast<std::size_t>(json_object_get_string_len(file)));
    }
  json_object_put(root);
  return files;
}

}  // namespace study_testing
