// The scene files' `envelope` element over arbitrary XML text.
#include "scene/Envelope.h"

#include <cstdint>
#include <tinyxml2.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(reinterpret_cast<const char*>(data), size) != tinyxml2::XML_SUCCESS)
        return 0;
    Ref<Envelope> e;
    Envelope::readElement(doc.RootElement(), e);
    for (float t : {-3.5f, 0.0f, 0.5f, 1.0f, 7.25f, 1e6f})
        e->evaluate(t);
    return 0;
}
