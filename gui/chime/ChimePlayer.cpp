#include "chime/ChimePlayer.h"

#include "chime/ChimeReader.h"
#include "sound/SoundOutput.h"

namespace tamsel {

ChimePlayer::ChimePlayer(ChimeReader& reader, SoundOutput& output)
    : reader_(reader)
    , output_(output)
{
}

void ChimePlayer::setFileName(const QString& path)
{
    fileName_ = path;
}

void ChimePlayer::open()
{
    if (looking_)
        lookAgain_ = true;
    else
        look();
}

void ChimePlayer::look()
{
    looking_ = true;
    reader_.look(fileName_, opened_, &context_,
                 [this](std::optional<ChimeLook> result) { onLooked(std::move(result)); });
}

void ChimePlayer::onLooked(std::optional<ChimeLook> result)
{
    looking_ = false;
    if (result) {
        opened_ = result->stamp;
        sound_ = std::move(result->sound);
        if (sound_)
            output_.prepare();
    }
    if (lookAgain_) {
        lookAgain_ = false;
        look();
        return;
    }
    if (playWhenLooked_) {
        playWhenLooked_ = false;
        play();
    }
}

void ChimePlayer::prev()
{
    playWhenLooked_ = false;
    if (sound_)
        output_.stop();
}

void ChimePlayer::play()
{
    if (looking_)
        playWhenLooked_ = true;
    else if (sound_)
        output_.play(*sound_);
}

} // namespace tamsel
