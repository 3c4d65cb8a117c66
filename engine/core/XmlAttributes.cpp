#include "core/XmlAttributes.h"

#include "core/Diagnostics.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <strings.h>
#include <tinyxml2.h>

namespace xml {

namespace {

// strtod follows LC_NUMERIC, which a toolkit may set from the user's locale ("1,5"); data files
// always use a decimal point, so reals are scanned in the C locale.
locale_t cLocale() {
    static locale_t loc = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    return loc;
}

} // namespace

bool scanInt(const char* text, int& out) {
    if (!text)
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (end == text)
        return false;
    // "%d" has no defined result past the int range; such a number counts as unreadable.
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool scanDouble(const char* text, double& out) {
    if (!text)
        return false;
    char* end = nullptr;
    double v = strtod_l(text, &end, cLocale());
    if (end == text)
        return false;
    out = v;
    return true;
}

bool scanBool(const char* text, bool& out) {
    if (!text)
        return false;
    static const char* const yes[] = {"true", "yes", "1"};
    static const char* const no[] = {"false", "no", "0"};
    for (const char* word : yes) {
        if (strcasecmp(text, word) == 0) {
            out = true;
            return true;
        }
    }
    for (const char* word : no) {
        if (strcasecmp(text, word) == 0) {
            out = false;
            return true;
        }
    }
    return false;
}

const char* text(const tinyxml2::XMLElement* e, const char* name) {
    return e ? e->Attribute(name) : nullptr;
}

bool queryInt(const tinyxml2::XMLElement* e, const char* name, int& out) {
    return scanInt(text(e, name), out);
}

bool queryDouble(const tinyxml2::XMLElement* e, const char* name, double& out) {
    return scanDouble(text(e, name), out);
}

bool queryFloat(const tinyxml2::XMLElement* e, const char* name, float& out) {
    double d;
    if (!queryDouble(e, name, d))
        return false;
    // Out-of-range reals saturate to infinity rather than converting with an undefined result.
    if (d > FLT_MAX)
        out = HUGE_VALF;
    else if (d < -FLT_MAX)
        out = -HUGE_VALF;
    else
        out = static_cast<float>(d);
    return true;
}

bool queryBool(const tinyxml2::XMLElement* e, const char* name, bool& out) {
    return scanBool(text(e, name), out);
}

int intAttr(const tinyxml2::XMLElement* e, const char* name, int fallback) {
    queryInt(e, name, fallback);
    return fallback;
}

double doubleAttr(const tinyxml2::XMLElement* e, const char* name, double fallback) {
    queryDouble(e, name, fallback);
    return fallback;
}

float floatAttr(const tinyxml2::XMLElement* e, const char* name, float fallback) {
    queryFloat(e, name, fallback);
    return fallback;
}

bool boolAttr(const tinyxml2::XMLElement* e, const char* name, bool fallback) {
    queryBool(e, name, fallback);
    return fallback;
}

std::string stringAttr(const tinyxml2::XMLElement* e, const char* name, const std::string& fallback) {
    const char* t = text(e, name);
    return t ? std::string(t) : fallback;
}

} // namespace xml

void xml::reportParseError(const std::string& file, const tinyxml2::XMLDocument& doc) {
    const tinyxml2::XMLError error = doc.ErrorID();
    if (error == tinyxml2::XML_ERROR_FILE_NOT_FOUND ||
        error == tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED ||
        error == tinyxml2::XML_ERROR_FILE_READ_ERROR) {
        diagnostic(file.c_str(), "file", "the file cannot be opened");
        return;
    }
    // The parser's own text repeats the line and the error code; keep its name and the detail.
    const std::string text = doc.ErrorStr() ? doc.ErrorStr() : "";
    const size_t detail = text.find(": ", text.find("Line number="));
    diagnostic(file.c_str(), ("line " + std::to_string(doc.ErrorLineNum())).c_str(), "malformed XML (%s%s)",
               tinyxml2::XMLDocument::ErrorIDToName(error),
               detail == std::string::npos ? "" : text.c_str() + detail);
}
