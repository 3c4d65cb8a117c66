// assetinfo: describes the assets the engine reads, one JSON object per file per line.
#include "JsonText.h"
#include "SceneDump.h"
#include "Sky.h"
#include "assets/JPEGLoader.h"
#include "assets/PNGLoader.h"
#include "assets/RAWMeshLoader.h"
#include "core/Diagnostics.h"
#include "core/Version.h"
#include "core/XmlAttributes.h"
#include "render/CodeTables.h"
#include "scene/Envelope.h"

#include <tinyxml2.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* usage = "usage: assetinfo [--premultiply] [--sample A:B:N] FILE...\n"
                    "       assetinfo --root DIR [--at BEAT] SCENE.xml...\n"
                    "       assetinfo --sky H0:H1:N [--plot OUT.png] FILE.xml...\n"
                    "       assetinfo --version\n"
                    "\n"
                    "Prints one JSON object per FILE on standard output:\n"
                    "  meshes (.rmsh, .rmzh): layout, index data, bins, skin and per-bin bounds\n"
                    "  images (PNG, JPEG): size, channels, format and the CRC-32 of the decoded,\n"
                    "    bottom-up pixel rows; --premultiply applies the PNG loader's premultiply\n"
                    "  envelopes (XML, with --sample A:B:N): every envelope element sampled at N\n"
                    "    evenly spaced times from A to B inclusive\n"
                    "  scenes (with --root DIR): the demo description of DIR and each scene file are\n"
                    "    loaded (hidden GL context) and updated at BEAT (default 0); one line per node\n"
                    "    in scene order: name, class, kind code, parent index, enabled, world position\n"
                    "    and the parameters of lights and cameras\n"
                    "  skies (XML, with --sky H0:H1:N): the first atmosphere element configures the\n"
                    "    sky model as a scene load would; one line per hour, N hours evenly spaced\n"
                    "    from H0 to H1 inclusive, with the sun angles and the 32 floats of the block;\n"
                    "    --plot draws the sun's elevation and colour over those hours (one FILE)\n"
                    "A file that cannot be read gives one line on standard error and exit status 1.\n";

bool describeMesh(const std::string& path, std::string& json) {
    MeshData m;
    if (!RAWMeshLoader::readFile(path, m))
        return false;
    json = "{\"file\":" + jsonString(path) + ",\"kind\":\"mesh\",\"version\":" + std::to_string(m.version) +
           ",\"flags\":" + std::to_string(m.flags) + ",\"vertexCount\":" + std::to_string(m.vertexCount) +
           ",\"vertexSize\":" + std::to_string(m.vertexSize) + ",\"elements\":[";
    for (size_t i = 0; i < m.elements.size(); ++i) {
        const MeshElement& e = m.elements[i];
        json += std::string(i ? "," : "") + "{\"semantic\":" + jsonString(codes::semanticName(e.semantic)) +
                ",\"offset\":" + std::to_string(e.offset) +
                ",\"components\":" + std::to_string(e.components) + "}";
    }
    json += "],\"indexSize\":" + std::to_string(m.indexSize) +
            ",\"indexCount\":" + std::to_string(m.indexCount) + ",\"bins\":[";
    for (size_t i = 0; i < m.bins.size(); ++i) {
        const IndexBin& b = m.bins[i];
        json += std::string(i ? "," : "") + "{\"first\":" + std::to_string(b.first) +
                ",\"count\":" + std::to_string(b.count) + ",\"lowest\":" + std::to_string(b.lowest) +
                ",\"highest\":" + std::to_string(b.highest) +
                ",\"primitive\":" + std::to_string(b.primitive) + "}";
    }
    json += "],\"bones\":[";
    for (size_t i = 0; i < m.boneNames.size(); ++i)
        json += std::string(i ? "," : "") + jsonString(m.boneNames[i]);
    json += "],\"influences\":[";
    for (size_t i = 0; i < m.influences.size(); ++i)
        json += std::string(i ? "," : "") + "[" + std::to_string(m.influences[i].bone) + "," +
                jsonNumber(m.influences[i].weight) + "]";
    json += "],\"bounds\":[";
    for (size_t i = 0; i < m.bounds.size(); ++i)
        json += std::string(i ? "," : "") + "{\"min\":" + jsonVec3(m.bounds[i].min) +
                ",\"max\":" + jsonVec3(m.bounds[i].max) + "}";
    json += "]}";
    return true;
}

bool describeImage(const std::string& path, ImageLoader& loader, std::string& json) {
    DecodedImage image;
    if (!loader.decode(path, image))
        return false;
    uLong crc = crc32(0L, Z_NULL, 0);
    // crc32 takes at most 4 GiB a call on some builds; feed it in slices.
    const uint8_t* p = image.pixels.data();
    size_t left = image.pixels.size();
    while (left > 0) {
        uInt step = left > (1u << 30) ? (1u << 30) : uInt(left);
        crc = crc32(crc, p, step);
        p += step;
        left -= step;
    }
    json = "{\"file\":" + jsonString(path) + ",\"kind\":\"image\",\"width\":" + std::to_string(image.width) +
           ",\"height\":" + std::to_string(image.height) + ",\"channels\":" + std::to_string(image.channels) +
           ",\"format\":" + jsonString(ImageLoader::formatName(image.format)) +
           ",\"crc32\":" + std::to_string(crc) + "}";
    return true;
}

struct Sampling {
    float from = 0, to = 0;
    long count = 0;
};

void collectEnvelopes(const tinyxml2::XMLElement* e, std::vector<const tinyxml2::XMLElement*>& out) {
    for (; e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), "envelope") == 0)
            out.push_back(e);
        collectEnvelopes(e->FirstChildElement(), out);
    }
}

bool describeEnvelopes(const std::string& path, const Sampling& s, std::string& json) {
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
        xml::reportParseError(path, doc);
        return false;
    }
    std::vector<const tinyxml2::XMLElement*> elements;
    collectEnvelopes(doc.FirstChildElement(), elements);
    json = "{\"file\":" + jsonString(path) + ",\"kind\":\"envelopes\",\"envelopes\":[";
    for (size_t i = 0; i < elements.size(); ++i) {
        Ref<Envelope> env;
        Envelope::readElement(elements[i], env);
        json += std::string(i ? "," : "") + "{\"pre\":" + std::to_string(env->preBehaviour) +
                ",\"post\":" + std::to_string(env->postBehaviour) +
                ",\"keys\":" + std::to_string(env->keyCount()) + ",\"values\":[";
        for (long k = 0; k < s.count; ++k) {
            float t = s.count == 1 ? s.from : s.from + (s.to - s.from) * float(k) / float(s.count - 1);
            json += std::string(k ? "," : "") + jsonNumber(env->evaluate(t));
        }
        json += "]}";
    }
    json += "]}";
    return true;
}

bool parseSampling(const char* text, Sampling& s) {
    char* end;
    s.from = std::strtof(text, &end);
    if (end == text || *end != ':')
        return false;
    const char* p = end + 1;
    s.to = std::strtof(p, &end);
    if (end == p || *end != ':')
        return false;
    p = end + 1;
    s.count = std::strtol(p, &end, 10);
    return end != p && *end == 0 && s.count >= 1 && s.count <= 1000000 && std::isfinite(s.from) &&
           std::isfinite(s.to);
}

bool endsWith(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (versionRequested(argc, argv))
        return printVersion("assetinfo");
    bool premultiply = false;
    bool sampling = false;
    Sampling sample;
    bool sky = false;
    Sampling skyHours;
    std::string plot;
    std::vector<std::string> files;
    std::string sceneRoot;
    float beat = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--premultiply") {
            premultiply = true;
        } else if (a == "--sample") {
            if (i + 1 >= argc || !parseSampling(argv[++i], sample)) {
                std::fprintf(stderr, "assetinfo: --sample expects A:B:N with N from 1 to 1000000\n");
                return 1;
            }
            sampling = true;
        } else if (a == "--root" || a == "--at") {
            if (!parseSceneOption(a, i + 1 < argc ? argv[++i] : nullptr, sceneRoot, beat))
                return 1;
        } else if (a == "--sky") {
            if (i + 1 >= argc || !parseSampling(argv[++i], skyHours)) {
                std::fprintf(stderr, "assetinfo: --sky expects H0:H1:N with N from 1 to 1000000\n");
                return 1;
            }
            sky = true;
        } else if (a == "--plot") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "assetinfo: --plot expects a PNG file name\n");
                return 1;
            }
            plot = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "assetinfo: unknown option %s (see --help)\n", a.c_str());
            return 1;
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) {
        std::fputs(usage, stderr);
        return 1;
    }
    if (sky || !plot.empty())
        return reportSkies(files, {skyHours.from, skyHours.to, skyHours.count}, sky, plot);

    if (!sceneRoot.empty())
        return dumpScenes(sceneRoot, beat, files);

    RAWMeshLoader meshes;
    PNGLoader png;
    png.setPremultiply(premultiply);
    JPEGLoader jpeg;
    int status = 0;
    for (const std::string& file : files) {
        std::string json;
        bool ok;
        if (meshes.canLoad(file) || file.find(".rmzh") != std::string::npos) {
            ok = describeMesh(file, json);
        } else if (png.canLoad(file)) {
            ok = describeImage(file, png, json);
        } else if (jpeg.canLoad(file)) {
            ok = describeImage(file, jpeg, json);
        } else if (sampling && endsWith(file, ".xml")) {
            ok = describeEnvelopes(file, sample, json);
        } else {
            diagnostic(file.c_str(), "-",
                       sampling ? "not a mesh, image or XML file"
                                : "not a mesh or image file (envelopes need --sample)");
            ok = false;
        }
        if (ok) {
            std::fputs(json.c_str(), stdout);
            std::fputc('\n', stdout);
        } else {
            status = 1;
        }
    }
    return std::fflush(stdout) == 0 ? status : 1;
}
