#pragma once

#include "app/DemoApplication.h"
#include "app/edit/ColourTarget.h"
#include "app/edit/ControlChannel.h"
#include "app/edit/EditOverlay.h"
#include "app/edit/FileWatcher.h"
#include "app/edit/Transport.h"
#include "core/Object.h"

#include <memory>
#include <string>
#include <vector>

class SourceTree;
struct ControlCommand;

// Authoring play (--edit, --control): the transport on the keys, the control channel, and the
// data tree reloaded at the current beat when files in it change. Made only when the command
// line asks for it; plain play never creates one.
class EditSession : public Object {
public:
    explicit EditSession(DemoApplication& app);
    ~EditSession() override;

    // Opens the channel (--control) and the watcher (--edit); false after one line on standard
    // error when either cannot be opened.
    [[nodiscard]] bool open();

    // One frame of authoring play: commands, changed files, then the picture at the transport's
    // beat.
    void frame();
    void onKeyDown(int key);
    void onKeyUp(int key);

    double beat() const { return beat_; }
    const Transport& transport() const { return transport_; }

    // What a change of these files (relative to data/) needs loaded again.
    enum class Reload { None, Parts, Programs, Everything, EverythingAndSong };
    static Reload reloadFor(const std::vector<std::string>& changed);

private:
    struct PendingStill {
        int client;
        std::string path;
    };
    void execute(int client, const ControlCommand& command);
    // The song's tempo (60 without a song).
    int bpm() const;
    // Gives the transport the timeline's part starts and end.
    void takeTimeline();
    // The application's reload with its diagnostics held and said; on failure `error` is the line
    // to show (`otherwise` when nothing was said).
    [[nodiscard]] bool reloadApplication(DemoApplication::ReloadScope scope,
                                         const std::vector<std::string>& files, const char* otherwise,
                                         std::string& error);
    // Makes the parts afresh and brings them to `beat`, as --from would; the next frame shows it.
    bool seek(double beat, std::string& error);
    // `changed`: the files (relative to data/) that asked for it.
    [[nodiscard]] bool reload(Reload what, std::string& error, const std::vector<std::string>& changed = {});
    void pause();
    void play();
    // Music follows the picture only at 1x; at other speeds the picture runs on the clock, silent.
    bool musicFollows() const;
    void restartMusic();
    std::string status() const;
    void drawOverlay();
    void writeStills();
    // While paused the picture is drawn once and then shown again as it was: film grain and
    // anything else that moves from frame to frame holds still, and a paused frame costs a copy.
    void holdFrame();
    bool showHeldFrame();

    DemoApplication& app_;
    Transport transport_;
    ControlChannel channel_;
    FileWatcher watcher_;
    std::unique_ptr<SourceTree> sources_;
    std::unique_ptr<EditOverlay> overlay_;
    // Kept from frame to frame, so drawing the overlay reuses its strings.
    EditOverlay::Lines lines_;
    bool overlayShown_ = false;
    std::string lastReload_, lastError_;
    std::vector<std::string> changed_;
    std::vector<PendingStill> stills_;
    double beat_ = 0;
    // The first frame after a seek takes the step a still of that beat takes.
    bool seekFrame_ = false;
    bool shift_ = false;
    ColourTarget held_;
    bool holding_ = false;
    float stepCarry_ = 0;
};
