#include "render/Query.h"

#include "render/CodeTables.h"

Query::Query(int kind) : kind_(kind) {
    glGenQueries(1, &glName_);
}

Query::~Query() {
    if (glName_ != 0)
        glDeleteQueries(1, &glName_);
}

void Query::begin() const {
    glBeginQuery(codes::queryTarget(kind_), glName_);
}

void Query::end() {
    glEndQuery(codes::queryTarget(kind_));
    hasResult_ = true;
    glGetQueryObjectuiv(glName_, GL_QUERY_RESULT, &result_);
}
