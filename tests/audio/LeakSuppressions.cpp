// libsndfile 1.2.0 leaks the Vorbis info block when an Ogg file fails while its headers are read
// (a truncated file does): not ours to free, since sf_open returns no handle.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}
