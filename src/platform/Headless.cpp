#include "platform/Headless.h"

#include <iostream>

#include "app/FrameDriver.h"
#include "app/MainForm.h"
#include "base/Errors.h"
#include "editor/view/PanelWindow.h"

namespace {
// The runner's surroundings: events from the input file, no picture shown.
class TInputFileHost : public IFrameHost {
public:
    TInputFileHost(TMainForm& game, std::vector<TInputEvent> events) : Game(game), Script(std::move(events)) {}
    void Events(TFrameDriver& driver) override {
        for (const TInputEvent& e : Script.Take(driver.Frame())) driver.Deliver(e);
    }
    bool WritePanelPicture(const std::string& path, std::string& why) override {
        return WritePanelScreenshot(Game, path, why);
    }

private:
    TMainForm& Game;
    TInputScript Script;
};
}  // namespace

int RunHeadless(const TGameOptions& options) {
    std::vector<TInputEvent> events;
    try {
        if (!options.InputFile.empty()) events = ReadInputFile(options.InputFile);
    } catch (const std::exception& e) {
        std::cerr << "rustwake: " << e.what() << '\n';
        return 2;
    }
    THeadlessPlatform platform;
    platform.VirtualClock.Set(HeadlessClockStart);
    TMainForm game(options, platform);
    TInputFileHost host(game, std::move(events));
    TFrameDriver driver(game, host, &platform.VirtualClock, options.Frames);
    if (driver.Start())
        while (driver.Step()) {
        }
    const int code = driver.Finish();
    if (game.Closed) std::cerr << "rustwake: the game ended after frame " << driver.Frame() << '\n';
    game.FormDestroy();
    return code;
}
