#pragma once

#include <string>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

// Attribute reading for every XML loader, by the C scanner's rules rather than tinyxml2's own:
// integers scan like "%d" and reals like "%lf" (leading blanks, then the longest number; "1=" reads
// as 1), booleans are "true"/"yes"/"1" or "false"/"no"/"0" in any letter case. A missing or
// unreadable attribute counts as absent: the query answers false and leaves `out` alone, and the
// value forms return the default. Reals ignore the process locale.
namespace xml {

// The one line for a document that did not load: "file: line N: malformed XML (NAME: detail)",
// the parser's error name and its detail without the line and code it repeats, or "file: file:
// the file cannot be opened".
void reportParseError(const std::string& file, const tinyxml2::XMLDocument& doc);

bool queryInt(const tinyxml2::XMLElement* e, const char* name, int& out);
bool queryDouble(const tinyxml2::XMLElement* e, const char* name, double& out);
bool queryFloat(const tinyxml2::XMLElement* e, const char* name, float& out);
bool queryBool(const tinyxml2::XMLElement* e, const char* name, bool& out);
// The attribute's text, or null when absent.
const char* text(const tinyxml2::XMLElement* e, const char* name);

int intAttr(const tinyxml2::XMLElement* e, const char* name, int fallback);
double doubleAttr(const tinyxml2::XMLElement* e, const char* name, double fallback);
float floatAttr(const tinyxml2::XMLElement* e, const char* name, float fallback);
bool boolAttr(const tinyxml2::XMLElement* e, const char* name, bool fallback);
std::string stringAttr(const tinyxml2::XMLElement* e, const char* name, const std::string& fallback = "");

// The scanner rules on plain text (what the queries above apply to attribute values).
bool scanInt(const char* text, int& out);
bool scanDouble(const char* text, double& out);
bool scanBool(const char* text, bool& out);

} // namespace xml
