#pragma once

#include "core/Object.h"
#include "render/Gl.h"

class Program;
class VertexBuffer;
class IndexBuffer;

// A GL vertex array with the index size of the index buffer recorded in it.
class VertexArrayObject : public Object {
public:
    VertexArrayObject() = default;
    ~VertexArrayObject() override;

    // Generates the name (the device's own default array).
    void generate();
    // Records `vertexBuffer`'s elements for the attributes of `program` (and the index buffer, if
    // given) in a new array; leaves the array bound before bound again and the array buffer at 0.
    [[nodiscard]] static Ref<VertexArrayObject>
    create(const Program& program, const VertexBuffer& vertexBuffer, const IndexBuffer* indexBuffer);
    // Points every element of `vertexBuffer` (bound as the array buffer) at the attribute of its
    // semantic in `program`, in the vertex array bound now, and enables it. Integer inputs (a
    // skin's influence references) arrive unconverted.
    static void pointAttributes(const Program& program, const VertexBuffer& vertexBuffer);
    // The same as create without a program: each element (floats) at the location of its semantic's code,
    // where Program::link puts the attribute of that name in every program. Elements of the
    // "UNKNOWN" semantic are left out.
    [[nodiscard]] static Ref<VertexArrayObject> createForSemantics(const VertexBuffer& vertexBuffer,
                                                                   const IndexBuffer* indexBuffer);

    GLuint glName() const { return glName_; }
    int indexSize() const { return indexSize_; }
    // Anything the array must keep alive (for example its mesh).
    void setReference(const Ref<Object>& object) { reference_ = object; }

private:
    static GLuint boundArray();
    static void restore(GLuint previous);

    GLuint glName_ = 0;
    int indexSize_ = 2;
    Ref<Object> reference_;
};
