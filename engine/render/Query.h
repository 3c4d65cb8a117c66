#pragma once

#include "core/Object.h"
#include "render/Gl.h"

// A GL query of one kind (query target table); occlusion culling uses kind 3, any samples passed.
class Query : public Object {
public:
    explicit Query(int kind = 3);
    ~Query() override;

    void begin() const;
    // Ends the query and reads its result at once (synchronously).
    void end();

    int kind() const { return kind_; }
    GLuint glName() const { return glName_; }
    GLuint result() const { return result_; }
    bool hasResult() const { return hasResult_; }

private:
    int kind_;
    GLuint glName_ = 0;
    GLuint result_ = 0;
    bool hasResult_ = false;
};
