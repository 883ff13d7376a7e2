#pragma once
// What the readers and writers of the host's JSON documents share: checked
// field access that fails with a message, and the 2D document as JSON (a
// sketch keeps its drawing in that form inside a 3D document).
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace vlhost {

class Document2D;
class Document3D;

namespace jsonio {

using nlohmann::json;

inline constexpr const char* kFormat = "vlhost-document";
inline constexpr int kVersion = 1;

struct ReadError {
  std::string what;
  // How much of its place the message names: 0 nothing, 1 a place within a
  // part (a body, a flange, a loop), 2 the part itself.
  int placed = 0;
};

[[noreturn]] void Bad(const std::string& what);
const json& Field(const json& j, const char* name);
// Whether `j` is an object that says it is a document of this host.
bool OfThisSystem(const json& j);
double Number(const json& j, const char* name);
int Integer(const json& j, const char* name);
bool Flag(const json& j, const char* name);
std::wstring Text(const json& j, const char* name);
const json& List(const json& j, const char* name);
std::vector<double> Numbers(const json& j, const char* name);

json DocumentJson(Document2D& doc);
void ReadDocument2D(const json& j, Document2D& doc);
// Writes `j` to `path`; throws std::runtime_error, writing nothing, when it
// holds a number that is not finite.
bool WriteJson(const json& j, const std::wstring& path);

}  // namespace jsonio

// A 3D document's part tree read from its JSON (bodies rebuilt, sketches
// drawn); throws jsonio::ReadError naming what is wrong.
void ReadDocument3D(const nlohmann::json& j, Document3D& doc);

}  // namespace vlhost
