#pragma once
// Playing time of a Standard MIDI File, worked out from its events: the time of the
// last event of the longest track, through the file's tempo map. The synthesizer
// behind the music player reports no length for MIDI, so the player asks this.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Milliseconds from the start to the last event, or nothing when the bytes hold no
// MIDI header. A file whose tracks are cut short counts the events that are there.
// Accepts a bare "MThd" file and the RIFF "RMID" wrapper.
std::optional<std::int64_t> midiLengthMs(const QByteArray &bytes);
std::optional<std::int64_t> midiFileLengthMs(const QString &path);
