#include "assets/Loader.h"

bool Loader::canLoad(const std::string& path) const {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = path.substr(dot + 1);
    size_t begin = 0;
    while (begin <= extensions_.size()) {
        size_t end = extensions_.find(':', begin);
        if (end == std::string::npos)
            end = extensions_.size();
        if (extensions_.compare(begin, end - begin, ext) == 0 && !(end == begin && !ext.empty()))
            return true;
        begin = end + 1;
    }
    return false;
}
