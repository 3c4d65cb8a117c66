// Reading an "atmosphere" element into a model: the scene loader's atmospherical light and the
// asset inspector share this, so both configure a sky the same way.
#include "atmosphere/AtmosphereModel.h"

#include "core/Diagnostics.h"
#include "core/XmlAttributes.h"

#include <tinyxml2.h>

#include <string>

namespace {

constexpr double kDegreesToRadians = 0.017453292;

bool fail(const char* file, const tinyxml2::XMLElement* e, const std::string& reason) {
    const std::string place = "line " + std::to_string(e->GetLineNum()) + ": " + e->Name();
    diagnostic(file, place.c_str(), "%s", reason.c_str());
    return false;
}

// The child's "value"; absent children leave `out` alone, a present one must hold a number.
bool childValue(const char* file, const tinyxml2::XMLElement* parent, const char* name, bool& present,
                double& out) {
    const tinyxml2::XMLElement* child = parent->FirstChildElement(name);
    present = child != nullptr;
    if (!child)
        return true;
    if (!xml::queryDouble(child, "value", out))
        return fail(file, child, "missing or unreadable \"value\"");
    return true;
}

} // namespace

bool AtmosphereModel::configureFromElement(const tinyxml2::XMLElement* atmosphere, const char* file) {
    if (!file)
        file = "-";
    if (!atmosphere) {
        diagnostic(file, "atmosphere", "missing element");
        return false;
    }
    bool present = false;
    double v = 0;
    if (!childValue(file, atmosphere, "juliandate", present, v))
        return false;
    if (present)
        julianDay = float(v);
    if (!childValue(file, atmosphere, "latitude", present, v))
        return false;
    if (present)
        latitude = float(v * kDegreesToRadians);
    if (!childValue(file, atmosphere, "longitude", present, v))
        return false;
    if (present)
        longitude = float(v * kDegreesToRadians);
    if (!childValue(file, atmosphere, "meridian", present, v))
        return false;
    if (present)
        meridian = float(v * kDegreesToRadians);
    if (!childValue(file, atmosphere, "turbidity", present, v))
        return false;
    if (present)
        setTurbidity(float(v));
    if (!childValue(file, atmosphere, "directionality", present, v))
        return false;
    if (present)
        directionality = float(v);
    if (const tinyxml2::XMLElement* scattering = atmosphere->FirstChildElement("scattering")) {
        double rayleigh = 1000.0, mie = 0.7;
        if (!xml::queryDouble(scattering, "rayleighfactor", rayleigh))
            return fail(file, scattering, "missing or unreadable \"rayleighfactor\"");
        if (!xml::queryDouble(scattering, "miefactor", mie))
            return fail(file, scattering, "missing or unreadable \"miefactor\"");
        setScattering(float(rayleigh), float(mie));
    }
    if (!childValue(file, atmosphere, "sundistancetoplanet", present, v))
        return false;
    if (present)
        sunDistance = float(v);
    if (!childValue(file, atmosphere, "timeofday", present, v))
        return false;
    if (present)
        setTimeOfDay(float(v));
    return true;
}
