#include "math/Mat3.h"
#include "math/Mat4.h"
#include "math/Scalar.h"
#include "math/Vec2.h"

#include <gtest/gtest.h>
#include <random>

namespace {

void expectNear(const Mat4& a, const Mat4& b, float eps = 1e-4f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], eps) << "element " << i;
}

Mat4 randomMatrix(std::mt19937& rng) {
    std::uniform_real_distribution<float> d(-2, 2);
    Mat4 m;
    for (float& v : m.m)
        v = d(rng);
    return m;
}

TEST(Mat4Test, StorageIsRowMajorWithColumnVectors) {
    Mat4 t = Mat4::translation({1, 2, 3});
    EXPECT_EQ(t.m[3], 1);
    EXPECT_EQ(t.m[7], 2);
    EXPECT_EQ(t.m[11], 3);
    EXPECT_EQ(t.element(3, 0), 1); // column first
    Vec3 p = Mat4::transformPoint(t, {1, 1, 1});
    EXPECT_EQ(p, Vec3(2, 3, 4));
}

TEST(Mat4Test, MultiplyAppliesTheFirstArgumentFirst) {
    // multiply(T, P) is P*T: translate, then project.
    Mat4 T = Mat4::translation({0.5f, -1, -3});
    Mat4 P = Mat4::perspective(60, 1.5f, 0.5f, 50);
    Mat4 TP = Mat4::multiply(T, P);
    Vec3 point(0.25f, 0.75f, -2);
    Vec3 expected = Mat4::transformPoint(P, Mat4::transformPoint(T, point));
    Vec3 got = Mat4::transformPoint(TP, point);
    EXPECT_NEAR(got.x, expected.x, 1e-5f);
    EXPECT_NEAR(got.y, expected.y, 1e-5f);
    EXPECT_NEAR(got.z, expected.z, 1e-5f);

    // By hand: element (r, c) = sum_k b(r, k) a(k, c).
    Mat4 a = Mat4::fromValues({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Mat4 b = Mat4::fromValues({1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Mat4 ab = Mat4::multiply(a, b);
    EXPECT_EQ(ab.m[0], 1);
    EXPECT_EQ(ab.m[1], 2);
    EXPECT_EQ(ab.m[4], 3);
    EXPECT_EQ(ab.m[5], 7);
}

TEST(Mat4Test, ProjectionsFollowGlConventions) {
    Mat4 p = Mat4::perspective(90, 1, 1, 100);
    EXPECT_NEAR(p.m[0], 1, 1e-6f);
    EXPECT_NEAR(p.m[5], 1, 1e-6f);
    EXPECT_FLOAT_EQ(p.element(3, 2), -2 * 100 * 1 / 99.0f);
    EXPECT_EQ(p.element(2, 3), -1);
    EXPECT_EQ(p.m[15], 0);
    // Near maps to -1, far to +1.
    EXPECT_NEAR(Mat4::transformPoint(p, {0, 0, -1}).z, -1, 1e-5f);
    EXPECT_NEAR(Mat4::transformPoint(p, {0, 0, -100}).z, 1, 1e-4f);

    Mat4 f = Mat4::frustum(-1, 3, -2, 2, 1, 10);
    EXPECT_FLOAT_EQ(f.m[0], 0.5f);
    EXPECT_FLOAT_EQ(f.m[2], 0.5f);
    EXPECT_FLOAT_EQ(f.m[6], 0);

    Mat4 o = Mat4::ortho(0, 4, 0, 2, -1, 1);
    EXPECT_FLOAT_EQ(o.m[0], 0.5f);
    EXPECT_FLOAT_EQ(o.m[3], -1);
    EXPECT_FLOAT_EQ(o.m[5], 1);
    EXPECT_FLOAT_EQ(o.m[7], -1);
    EXPECT_FLOAT_EQ(o.m[10], -1);
    EXPECT_FLOAT_EQ(o.m[11], 0);
    EXPECT_EQ(o.m[15], 1);
    Vec3 corner = Mat4::transformPoint(o, {4, 2, 0});
    EXPECT_EQ(corner, Vec3(1, 1, 0));
}

TEST(Mat4Test, InverseUndoesTheMatrix) {
    std::mt19937 rng(7);
    for (int i = 0; i < 50; ++i) {
        Mat4 m = randomMatrix(rng);
        Mat4 inv = Mat4::inverse(m);
        expectNear(Mat4::multiply(m, inv), Mat4::identity(), 2e-3f);
        expectNear(Mat4::multiply(inv, m), Mat4::identity(), 2e-3f);
    }
    Mat4 affine = Mat4::multiply(Mat4::rotationY(0.7f), Mat4::translation({3, -2, 5}));
    expectNear(Mat4::inverse(affine), Mat4::multiply(Mat4::translation({-3, 2, -5}), Mat4::rotationY(-0.7f)));
}

TEST(Mat4Test, SingularInversesAreAllZero) {
    Mat4 m = Mat4::identity();
    m.m[4] = m.m[5] = m.m[6] = m.m[7] = 0; // a zero row
    EXPECT_EQ(Mat4::inverse(m), Mat4::zero());
    EXPECT_EQ(Mat4::inverse(Mat4::zero()), Mat4::zero());

    Mat3 s = Mat3::fromValues({1, 2, 3, 2, 4, 6, 0, 1, 0});
    EXPECT_EQ(Mat3::inverse(s), Mat3::zero());
}

TEST(Mat3Test, InverseByAdjugate) {
    Mat3 m = Mat3::fromValues({2, 0, 1, 1, 3, 0, 0, 1, 4});
    Mat3 inv = Mat3::inverse(m);
    // Check m * inv = I with the row-major product.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            float s = 0;
            for (int k = 0; k < 3; ++k)
                s += m.m[3 * r + k] * inv.m[3 * k + c];
            EXPECT_NEAR(s, r == c ? 1 : 0, 1e-6f);
        }
    }
    EXPECT_NEAR(inv.m[0], 12.0f / 25, 1e-6f); // det = 25, cofactor (0,0) = 12
}

TEST(ScalarTest, HelpersAndVectors) {
    EXPECT_FLOAT_EQ(vmath::degToRad(180), 3.1415927f);
    EXPECT_FLOAT_EQ(vmath::power(2, 10), 1024);
    EXPECT_FLOAT_EQ(vmath::squareRoot(9), 3);
    EXPECT_EQ(Vec3(1, 0, 0).cross(Vec3(0, 1, 0)), Vec3(0, 0, 1));
    EXPECT_EQ(Vec3().normalized(), Vec3());
    EXPECT_FLOAT_EQ(Vec3(3, 4, 0).length(), 5);
    EXPECT_EQ(Vec3(1, 2, 3) - Vec3(1, 1, 1), Vec3(0, 1, 2));
    EXPECT_EQ(Vec2(1, 2) * 2, Vec2(2, 4));
}

TEST(Mat4Test, RotationsAreRightHanded) {
    Vec3 v = Mat4::transformVector(Mat4::rotationZ(vmath::degToRad(90)), {1, 0, 0});
    EXPECT_NEAR(v.x, 0, 1e-6f);
    EXPECT_NEAR(v.y, 1, 1e-6f);
    Mat4 r = Mat4::rotation({0, 0, 1}, 0.3f);
    expectNear(r, Mat4::rotationZ(0.3f), 1e-6f);
    Mat4 view = Mat4::lookAt({0, 0, 5}, {0, 0, 0}, {0, 1, 0});
    Vec3 origin = Mat4::transformPoint(view, {0, 0, 0});
    EXPECT_NEAR(origin.z, -5, 1e-5f);
}

} // namespace
