#include "scene/NodeCulling.h"

#include "render/StateSet.h"

#include <cstdio>
#include <fstream>
#include <ostream>
#include <string>

NodeCulling::NodeCulling(std::string fileName)
    : fileName_(std::move(fileName)), visibility_(makeRef<Envelope>()), query_(makeRef<Query>(3)) {
    visibility_->preBehaviour = BehaviourConstant;
    visibility_->postBehaviour = BehaviourConstant;
}

namespace {

// Recorded visibility is authoring output: a name inside a data folder is redirected to the same
// file name in the working directory, so a run never rewrites the demo's own content.
std::string outputPath(const std::string& fileName) {
    const std::string wrapped = "/" + fileName;
    if (wrapped.find("/data/") == std::string::npos)
        return fileName;
    const size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

} // namespace

NodeCulling::~NodeCulling() {
    if (noKeyYet_)
        return;
    const std::string path = outputPath(fileName_);
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    if (!out)
        return;
    if (writeElement(out))
        std::fprintf(stderr, "%s: enable: visibility of the culled subtree written\n", path.c_str());
}

void NodeCulling::apply(StateSet& stateSet) {
    if (!stateSet.shadowPass())
        query_->begin();
}

void NodeCulling::restore(StateSet& stateSet) {
    if (stateSet.shadowPass())
        return;
    query_->end();
    record(query_->result() != 0);
}

void NodeCulling::record(bool visible) {
    if (noKeyYet_) {
        noKeyYet_ = false;
    } else if (visible == lastVisible_) {
        return;
    }
    EnvelopeKey key;
    key.value = visible ? 1.0f : 0.0f;
    key.time = time_;
    key.shape = ShapeStepped;
    visibility_->insertKey(key);
    lastVisible_ = visible;
}

bool NodeCulling::writeElement(std::ostream& out) const {
    // pre="1=" reads back as 1 (Constant) with the loader's integer scanner.
    out << "<enable>\n\t<envelope pre=\"1=\" post=\"1\">\n";
    for (const EnvelopeKey* k = visibility_->firstKey(); k; k = k->next)
        out << "\t\t<key type=\"4\" value=\"" << k->value << "\" time=\"" << k->time << "\"/>\n";
    out << "\t</envelope>\n</enable>\n";
    return bool(out);
}
