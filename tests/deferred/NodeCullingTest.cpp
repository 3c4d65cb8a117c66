#include "DeferredFixture.h"

#include "demo/Registries.h"
#include "render/StateSet.h"
#include "scene/EnableController.h"
#include "scene/Group.h"
#include "scene/NodeCulling.h"
#include "scenefile/CullingLoaderHandler.h"
#include "scenefile/SceneLoaderXML.h"
#include "support/GlCallRecorder.h"
#include "support/GlTest.h"
#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class NodeCullingTest : public GlTest {
protected:
    TempDir dir;
};

TEST_F(NodeCullingTest, RecordsOneSteppedKeyPerChangeAndWritesThemBackReadable) {
    const std::string file = dir.path() + "/visibility.xml";
    {
        NodeCulling culling(file);
        const std::pair<float, bool> answers[] = {{0.5f, true}, {1, true},    {2, true}, {3, false},
                                                  {4, false},   {4.5f, true}, {6, true}};
        for (const auto& [time, visible] : answers) {
            culling.beginUpdate(time);
            culling.record(visible);
        }
        int keys = 0;
        for (const EnvelopeKey* k = culling.visibility()->firstKey(); k; k = k->next, ++keys)
            EXPECT_EQ(k->shape, ShapeStepped);
        EXPECT_EQ(keys, 3);
        ::testing::internal::CaptureStderr();
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(file + ": enable:"), std::string::npos) << said;
    EXPECT_EQ(readFile(file), "<enable>\n"
                              "\t<envelope pre=\"1=\" post=\"1\">\n"
                              "\t\t<key type=\"4\" value=\"1\" time=\"0.5\"/>\n"
                              "\t\t<key type=\"4\" value=\"0\" time=\"3\"/>\n"
                              "\t\t<key type=\"4\" value=\"1\" time=\"4.5\"/>\n"
                              "\t</envelope>\n"
                              "</enable>\n");

    // Pasted into a scene file, the element drives an enable controller with the same keys.
    std::ofstream(dir.path() + "/scene.xml")
        << "<scene><group name=\"culled\">" << readFile(file) << "</group></scene>\n";
    Ref<SceneLoaderXML> loader = makeRef<SceneLoaderXML>();
    Ref<Scene> scene = loader->load(dir.path() + "/scene.xml");
    ASSERT_TRUE(scene);
    Node* culled = scene->findByName("culled");
    ASSERT_TRUE(culled);
    ASSERT_EQ(culled->controllers().size(), 1u);
    auto* controller = dynamic_cast<EnableController*>(culled->controllers()[0].get());
    ASSERT_TRUE(controller);
    const Envelope& read = *controller->envelope();
    EXPECT_EQ(read.preBehaviour, BehaviourConstant);
    EXPECT_EQ(read.postBehaviour, BehaviourConstant);
    const float values[3] = {1, 0, 1}, times[3] = {0.5f, 3, 4.5f};
    int i = 0;
    for (const EnvelopeKey* k = read.firstKey(); k; k = k->next, ++i) {
        ASSERT_LT(i, 3);
        EXPECT_EQ(k->value, values[i]);
        EXPECT_EQ(k->time, times[i]);
        EXPECT_EQ(k->shape, ShapeStepped);
    }
    EXPECT_EQ(i, 3);
    scene->update(3.5f);
    EXPECT_FALSE(culled->enabled);
    scene->update(5);
    EXPECT_TRUE(culled->enabled);
}

TEST_F(NodeCullingTest, NothingMeasuredWritesNoFileAndDataFoldersAreNeverWritten) {
    const std::string never = dir.path() + "/never.xml";
    { NodeCulling culling(never); }
    EXPECT_FALSE(std::ifstream(never).good());

    // Authoring output aimed into a data folder lands in the working directory instead.
    const std::string inData = dir.path() + "/data/culled-visibility.xml";
    std::filesystem::create_directories(dir.path() + "/data");
    {
        NodeCulling culling(inData);
        culling.record(true);
        ::testing::internal::CaptureStderr();
    }
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("culled-visibility.xml: enable:"),
              std::string::npos);
    EXPECT_FALSE(std::ifstream(inData).good());
    EXPECT_TRUE(std::ifstream("culled-visibility.xml").good());
    std::remove("culled-visibility.xml");
}

TEST_F(NodeCullingTest, ShadowPassesNeitherQueryNorRecord) {
    // The binary's one device: a second would reset GL behind the shared one's caches.
    Ref<Device> device = deferred_resources::device();
    Ref<StateSet> states = makeRef<StateSet>(device);
    auto culling = std::make_unique<NodeCulling>(dir.path() + "/shadow.xml");
    GlCallRecorder recorder;
    states->setShadowPass(true);
    culling->apply(*states);
    culling->restore(*states);
    EXPECT_TRUE(culling->noKeyYet());
    states->setShadowPass(false);
    culling->apply(*states);
    culling->restore(*states);
    recorder.stop();
    EXPECT_FALSE(culling->noKeyYet());
    EXPECT_EQ(recorder.count("glBeginQuery"), 1u);
    EXPECT_EQ(recorder.count("glEndQuery"), 1u);
    EXPECT_FALSE(culling->lastVisible()) << "nothing drawn inside: hidden";
    ::testing::internal::CaptureStderr();
    culling.reset();
    ::testing::internal::GetCapturedStderr();
}

TEST_F(NodeCullingTest, CullingElementWrapsItsSubtreeAndNeedsAFileName) {
    std::ofstream(dir.path() + "/scene.xml")
        << "<scene><culling name=\"c\" filename=\"" << dir.path()
        << "/c.xml\" disabled=\"1\"><group name=\"inside\"/></culling></scene>\n";
    Ref<SceneLoaderXML> loader = makeRef<SceneLoaderXML>();
    loader->setHandler(makeRef<CullingLoaderHandler>());
    Ref<Scene> scene = loader->load(dir.path() + "/scene.xml");
    ASSERT_TRUE(scene);
    Node* culling = scene->findByName("c");
    ASSERT_TRUE(culling);
    EXPECT_EQ(culling->kind(), KindState);
    EXPECT_TRUE(dynamic_cast<NodeCulling*>(culling));
    EXPECT_FALSE(culling->enabled) << "common node attributes apply";
    ASSERT_TRUE(culling->firstChild());
    EXPECT_EQ(culling->firstChild()->name, "inside");

    std::ofstream(dir.path() + "/bad.xml") << "<scene><culling name=\"c\"/></scene>\n";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(loader->load(dir.path() + "/bad.xml"));
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
}

} // namespace
