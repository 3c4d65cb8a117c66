#include "assets/Loader.h"

#include <gtest/gtest.h>

namespace {

TEST(LoaderTest, CanLoadMatchesWholeEntriesCaseSensitively) {
    Loader png("png:PNG");
    EXPECT_TRUE(png.canLoad("data/a.png"));
    EXPECT_TRUE(png.canLoad("data/a.PNG")) << "the last entry counts without a trailing ':'";
    EXPECT_FALSE(png.canLoad("data/a.Png"));
    EXPECT_FALSE(png.canLoad("data/png"));
    EXPECT_FALSE(png.canLoad("data/a.pn"));
    EXPECT_TRUE(png.canLoad("dir.v2/a.b.png"));

    Loader jpeg("jpg:jpeg:jif:jfif");
    EXPECT_TRUE(jpeg.canLoad("x.jfif"));
    EXPECT_FALSE(jpeg.canLoad("x.JPG"));

    Loader shader("vert:frag:geom:");
    EXPECT_TRUE(shader.canLoad("s.geom"));
    EXPECT_FALSE(shader.canLoad("s.comp"));
    EXPECT_TRUE(shader.canLoad("s.")) << "an empty entry matches only an empty extension";
}

} // namespace
