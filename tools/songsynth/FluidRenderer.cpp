#include "FluidRenderer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <thread>

namespace {

constexpr int64_t blockFrames = 64; // fluidsynth's internal block

struct Part {
    std::vector<int> channels;
    std::vector<float> left, right;
    std::string error;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    Part() = default;
    Part(const Part&) = delete;
    Part& operator=(const Part&) = delete;
    ~Part() {
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }
};

void silenceLog() {
    // fluidsynth prints its own notices to standard output; errors come back through our calls.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
}

// Runs on the calling thread: the first synthesiser made sets up fluidsynth's shared tables (the
// default modulators among them) without a lock, so two made at once can miss some.
bool createSynth(const CompiledSong& song, const std::string& soundFont, Part& part) {
    fluid_settings_t* settings = part.settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", song.rate);
    fluid_settings_setint(settings, "synth.polyphony", 512);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_settings_setint(settings, "synth.midi-channels", 16);
    fluid_settings_setint(settings, "synth.reverb.active", 1);
    fluid_settings_setint(settings, "synth.chorus.active", 1);
    // Only the samples of the presets in use are read, not the whole SoundFont.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    fluid_synth_t* synth = part.synth = new_fluid_synth(settings);
    int font = synth ? fluid_synth_sfload(synth, soundFont.c_str(), 1) : FLUID_FAILED;
    if (font == FLUID_FAILED) {
        part.error = soundFont + ": cannot load the SoundFont";
        return false;
    }
    fluid_synth_set_reverb_group_roomsize(synth, -1, song.reverb.room);
    fluid_synth_set_reverb_group_damp(synth, -1, song.reverb.damp);
    fluid_synth_set_reverb_group_width(synth, -1, song.reverb.width);
    fluid_synth_set_reverb_group_level(synth, -1, song.reverb.level);
    fluid_synth_set_chorus_group_nr(synth, -1, song.chorus.voices);
    fluid_synth_set_chorus_group_level(synth, -1, song.chorus.level);
    fluid_synth_set_chorus_group_speed(synth, -1, song.chorus.speed);
    fluid_synth_set_chorus_group_depth(synth, -1, song.chorus.depth);

    for (int c : part.channels) {
        const ChannelSetup& s = song.channels[c];
        fluid_synth_set_channel_type(synth, s.channel, s.drums ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
        if (fluid_synth_program_select(synth, s.channel, font, s.bank, s.program) != FLUID_OK &&
            fluid_synth_program_select(synth, s.channel, font, s.drums ? 128 : 0, s.drums ? 0 : s.program) !=
                FLUID_OK)
            part.error = soundFont + ": no instrument for track \"" + s.name + "\"";
        fluid_synth_cc(synth, s.channel, 7, s.volume);
        fluid_synth_cc(synth, s.channel, 10, s.pan);
        fluid_synth_cc(synth, s.channel, 91, s.reverb);
        fluid_synth_cc(synth, s.channel, 93, s.chorus);
        fluid_synth_cc(synth, s.channel, 11, 127);
    }
    return part.error.empty();
}

void renderPart(const CompiledSong& song, Part& part) {
    fluid_synth_t* synth = part.synth;
    std::vector<bool> mine(16, false);
    for (int c : part.channels)
        mine[song.channels[c].channel] = true;

    const int64_t total = song.totalFrames;
    part.left.assign(static_cast<size_t>(total), 0.0f);
    part.right.assign(static_cast<size_t>(total), 0.0f);
    int64_t done = 0;
    auto renderTo = [&](int64_t frame) {
        frame = std::min(frame, total);
        while (done < frame) {
            int n = static_cast<int>(std::min<int64_t>(frame - done, 8192));
            fluid_synth_write_float(synth, n, part.left.data() + done, 0, 1, part.right.data() + done, 0, 1);
            done += n;
        }
    };
    for (const SynthEvent& e : song.events) {
        if (!mine[e.channel])
            continue;
        renderTo((e.frame + blockFrames / 2) / blockFrames * blockFrames);
        if (done >= total)
            break;
        switch (e.kind) {
        case SynthEvent::NoteOn:
            fluid_synth_noteon(synth, e.channel, e.a, e.b);
            break;
        case SynthEvent::NoteOff:
            fluid_synth_noteoff(synth, e.channel, e.a);
            break;
        case SynthEvent::Control:
            fluid_synth_cc(synth, e.channel, e.a, e.b);
            break;
        }
    }
    renderTo(total);
}

} // namespace

bool FluidRenderer::render(const CompiledSong& song, const std::string& soundFont, int threads,
                           std::vector<float>& stereo, std::string& error) {
    silenceLog();
    threads = std::max(1, std::min<int>(threads, static_cast<int>(song.channels.size())));
    std::vector<Part> parts(static_cast<size_t>(threads));
    // Heaviest channels first, each to the part with the least work so far.
    std::vector<int> order(song.channels.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return song.channels[a].voiceSeconds > song.channels[b].voiceSeconds;
    });
    std::vector<double> load(parts.size(), 0.0);
    for (int c : order) {
        size_t best = static_cast<size_t>(std::min_element(load.begin(), load.end()) - load.begin());
        parts[best].channels.push_back(c);
        load[best] += song.channels[c].voiceSeconds;
    }
    for (Part& p : parts) {
        if (!createSynth(song, soundFont, p)) {
            error = p.error;
            return false;
        }
    }
    std::vector<std::thread> workers;
    for (size_t i = 1; i < parts.size(); ++i)
        workers.emplace_back(renderPart, std::cref(song), std::ref(parts[i]));
    renderPart(song, parts[0]);
    for (std::thread& w : workers)
        w.join();
    const size_t frames = static_cast<size_t>(song.totalFrames);
    stereo.assign(frames * 2, 0.0f);
    for (const Part& p : parts) {
        for (size_t i = 0; i < frames; ++i) {
            stereo[2 * i] += p.left[i];
            stereo[2 * i + 1] += p.right[i];
        }
    }
    return true;
}
