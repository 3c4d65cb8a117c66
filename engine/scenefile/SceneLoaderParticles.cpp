// Particle systems, their emitters and operators, and the atmospherical light.
#include "scenefile/SceneLoaderXML.h"

#include <tinyxml2.h>

using tinyxml2::XMLElement;

void SceneLoaderXML::resetParticleState() {}

bool SceneLoaderXML::readEffectElement(const XMLElement*, Node*, bool& known) {
    known = false;
    return false;
}
