// Reading an "atmosphere" element into a model: the scene loader's atmospherical light and the
// asset inspector share this, so both configure a sky the same way.
#include "atmosphere/AtmosphereModel.h"

#include "core/Diagnostics.h"
#include "core/XmlAttributes.h"

#include <tinyxml2.h>

#include <cmath>
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
    if (const tinyxml2::XMLElement* aerial = atmosphere->FirstChildElement("aerial")) {
        // Extinctions may be zero (clear air) but never negative; the mist needs a thickness.
        struct {
            const char* name;
            float* value;
            double low;
        } const fields[] = {{"haze", &aerialHaze, 0.0},
                            {"mist", &aerialMist, 0.0},
                            {"mistbase", &aerialMistBase, -1e6},
                            {"mistheight", &aerialMistHeight, 1e-3}};
        for (const auto& field : fields) {
            double value = *field.value;
            if (aerial->Attribute(field.name) && (!xml::queryDouble(aerial, field.name, value) ||
                                                  !std::isfinite(value) || value < field.low || value > 1e6))
                return fail(file, aerial,
                            std::string("\"") + field.name + "\" must be a number of at least " +
                                (field.low < -1.0 ? std::string("-1e6") : std::to_string(field.low)));
            *field.value = float(value);
        }
        if (const tinyxml2::XMLElement* night = aerial->FirstChildElement("nightsky")) {
            double rgb[3] = {0, 0, 0};
            const char* names[3] = {"r", "g", "b"};
            for (int i = 0; i < 3; ++i)
                if (!xml::queryDouble(night, names[i], rgb[i]) || !std::isfinite(rgb[i]) || rgb[i] < 0 ||
                    rgb[i] > 1e3)
                    return fail(file, night,
                                std::string("\"") + names[i] + "\" must be a colour value of at least 0");
            aerialNight = Vec3(float(rgb[0]), float(rgb[1]), float(rgb[2]));
        }
    }
    if (!childValue(file, atmosphere, "timeofday", present, v))
        return false;
    if (present)
        setTimeOfDay(float(v));
    return true;
}
