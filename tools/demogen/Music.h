#pragma once
// The two music tracks are synthesised and handed to the MP3 encoder (lame)
// on their own threads while the pictures are drawn. Without lame the music
// is skipped with a warning: the game plays silently then.
#include <string>
#include <thread>
#include <vector>

#include "DemoGen.h"

namespace demogen {

class TMusicJob {
public:
    explicit TMusicJob(const TOutput& out);
    ~TMusicJob();  // waits for the tracks
    TMusicJob(const TMusicJob&) = delete;
    TMusicJob& operator=(const TMusicJob&) = delete;
    // Waits for both tracks; throws when one could not be written.
    void Finish();

private:
    std::vector<std::thread> Threads;
    std::vector<std::string> Errors;  // one slot per track, empty = fine
};

}  // namespace demogen
