#include "render/VertexArrayObject.h"

#include "render/CodeTables.h"
#include "render/IndexBuffer.h"
#include "render/Program.h"
#include "render/VertexBuffer.h"

VertexArrayObject::~VertexArrayObject() {
    if (glName_ != 0)
        glDeleteVertexArrays(1, &glName_);
}

void VertexArrayObject::generate() {
    if (glName_ == 0)
        glGenVertexArrays(1, &glName_);
}

// Arrays are made while loading, between frames of the loading screen and after the device bound
// its own array: making one must leave that bound, or the device's next draw would run on no array
// at all (core contexts refuse that). The element buffer binding belongs to the array bound, so it
// is left alone once the earlier array is back.
GLuint VertexArrayObject::boundArray() {
    GLint name = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &name);
    return GLuint(name);
}

void VertexArrayObject::restore(GLuint previous) {
    glBindVertexArray(previous);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void VertexArrayObject::pointAttributes(const Program& program, const VertexBuffer& vertexBuffer) {
    for (int i = 0; i < vertexBuffer.elementCount(); ++i) {
        const VertexElement& element = vertexBuffer.element(i);
        const AttributeInfo* attribute = program.findAttribute(codes::semanticName(element.semantic));
        if (!attribute || attribute->location < 0)
            continue;
        const void* offset = reinterpret_cast<const void*>(intptr_t(element.offset));
        // Integer inputs (a skin's influence references) must arrive unconverted.
        if (attribute->baseType == GL_INT || attribute->baseType == GL_UNSIGNED_INT)
            glVertexAttribIPointer(GLuint(attribute->location), attribute->components, attribute->baseType,
                                   vertexBuffer.stride(), offset);
        else
            glVertexAttribPointer(GLuint(attribute->location), attribute->components, attribute->baseType,
                                  GL_FALSE, vertexBuffer.stride(), offset);
        glEnableVertexAttribArray(GLuint(attribute->location));
    }
}

Ref<VertexArrayObject> VertexArrayObject::create(const Program& program, const VertexBuffer& vertexBuffer,
                                                 const IndexBuffer* indexBuffer) {
    const GLuint previous = boundArray();
    Ref<VertexArrayObject> array = makeRef<VertexArrayObject>();
    array->generate();
    glBindVertexArray(array->glName_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.glName());
    pointAttributes(program, vertexBuffer);
    if (indexBuffer) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer->glName());
        if (indexBuffer->indexSize() == 2 || indexBuffer->indexSize() == 4)
            array->indexSize_ = indexBuffer->indexSize();
    }
    restore(previous);
    return array;
}

Ref<VertexArrayObject> VertexArrayObject::createForSemantics(const VertexBuffer& vertexBuffer,
                                                             const IndexBuffer* indexBuffer) {
    const GLuint previous = boundArray();
    Ref<VertexArrayObject> array = makeRef<VertexArrayObject>();
    array->generate();
    glBindVertexArray(array->glName_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.glName());
    for (int i = 0; i < vertexBuffer.elementCount(); ++i) {
        const VertexElement& element = vertexBuffer.element(i);
        if (element.semantic < 0 || element.semantic >= codes::kSemanticCount - 1 || element.components < 1 ||
            element.components > 4)
            continue;
        glVertexAttribPointer(GLuint(element.semantic), element.components, GL_FLOAT, GL_FALSE,
                              vertexBuffer.stride(), reinterpret_cast<const void*>(intptr_t(element.offset)));
        glEnableVertexAttribArray(GLuint(element.semantic));
    }
    if (indexBuffer) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer->glName());
        if (indexBuffer->indexSize() == 2 || indexBuffer->indexSize() == 4)
            array->indexSize_ = indexBuffer->indexSize();
    }
    restore(previous);
    return array;
}
