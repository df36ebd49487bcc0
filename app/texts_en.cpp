// SPDX-License-Identifier: MIT
// The English texts, translated from the Japanese ones: the same arguments in
// the same order, plain ASCII.
#include "app/texts.h"

namespace {

// One text per line, however long, so that the catalogues read side by side.
// clang-format off
constexpr Texts kEnglish = {
    .banner = "Quelder version 1.00\n"
              "Checks whether the given files conform to the SMF standard 1.0.\n"
              "Usage:\n"
              "%s [names of files to check (several allowed)]\n",
    .progress = "Checking whether %s conforms to the SMF standard 1.0:\n",
    .conforms = "Result: %s conforms to the SMF standard 1.0.\n",
    .doesNotConform = "Result: %s does not conform to the SMF standard 1.0.\n",

    .openFailed = "Error: could not open %s.\n",
    .sizeFailed = "Error: could not get the file size of %s.\n",
    .memoryFailed = "Error: memory allocation failed.\n",
    .readFailed = "Error: could not read %s.\n",

    .outputLost = "Error: could not write to standard output.\n",
    .diagnosticsLost = "Error: could not write to standard error.\n",

    .headerMalformed = "Error(%d): the header chunk is malformed.\n",
    .headerLengthUnreadable = "Error(%d): cannot read the data length of the header block.\n",
    .headerLengthNotSix = "Error(%d): the data length of the header block is invalid. SMF 1.0 requires 6, but this file gives %d.\n",
    .formatUnreadable = "Error(%d): cannot read the SMF format.\n",
    .formatInvalid = "Error(%d): the SMF format given is invalid. SMF 1.0 requires 0, 1 or 2, but this file gives %d.\n",
    .tracksUnreadable = "Error(%d): cannot read the number of track blocks.\n",
    .divisionUnreadable = "Error(%d): cannot read the time resolution.\n",
    .smpteInvalid = "Error(%d): the SMPTE resolution is invalid. SMF 1.0 requires one of 24, 25, 29 or 30, but this file gives %d.\n",

    .chunkMalformed = "Error(%d): the chunk is malformed.\n",
    .chunkLengthUnreadable = "Error(%d): cannot read the data length of the block.\n",
    .unknownChunk = "Warning(%d): unknown chunk type.\n",
    .blockLengthWrong = "Error(%d): the data length of the block differs from the given length (%d).\n",
    .trackLengthWrong = "Error(%d): the data length of the track differs from the given length (%d).\n",
    .trackCountWrong = "Error(%d): the number of tracks is wrong. The header block gave %d tracks, but there are %d.\n",

    .endOfTrackMissing = "Error(%d): at the end of the track there is no %s meta event.\n",
    .deltaTimeInvalid = "Error(%d): the delta time is invalid.\n",
    .eventMissing = "Error(%d): a delta time is present, but no event follows it.\n",
    .statusOmitted = "Error(%d): running status is not in effect, so the status byte of a MIDI event cannot be left out.\n",
    .oneDataByte = "Error(%d): the data length of %s, not counting the status byte, must be 1 byte.\n",
    .twoDataBytes = "Error(%d): the data length of %s, not counting the status byte, must be 2 bytes.\n",
    .sysExLengthUnreadable = "Error(%d): the data length of the SysEx message cannot be obtained.\n",
    .sysExLengthWrong = "Error(%d): the data length of the SysEx message differs from the declared length (%d).\n",
    .sysExUnterminated = "Error(%d): a SysEx message with status F0 must end with F7.\n",
    .invalidEvent = "Error(%d): invalid event (%2X).\n",

    .metaTypeMissing = "Error(%d): the type of the meta event cannot be obtained.\n",
    .metaLengthUnreadable = "Error(%d): the data length of the meta event cannot be obtained.\n",
    .metaLengthMustBe = {
        "Error(%d): the data length of %s must be 0 bytes.\n",
        "Error(%d): the data length of %s must be 1 byte.\n",
        "Error(%d): the data length of %s must be 2 bytes.\n",
        "Error(%d): the data length of %s must be 3 bytes.\n",
        "Error(%d): the data length of %s must be 4 bytes.\n",
        "Error(%d): the data length of %s must be 5 bytes.\n",
    },
    .metaDataLengthWrong = "Error(%d): the data length of the meta event differs from the specified length (%d).\n",
    .unknownMetaType = "Warning(%d): the kind of meta event is not recognised.\n",

    .notAtTrackStart = "Error(%d): the %s meta event must be placed at the head of the track, before any non-zero delta time and before any transmittable event.\n",
    .notInFirstTrack = "Error(%d): in SMF format 1, the %s meta event must be placed in the first track.\n",
    .copyrightSignMissing = "Error(%d): the %s meta event must contain the characters (C), the year of publication of the work and the name of the copyright holder.\n",
    .copyrightMisplaced = "Error(%d): the %s meta event must be placed at the very start of the first track, with delta time 0.\n",
    .tooManyFlats = "Error(%d): the number of flats in the %s meta event is invalid.\n",
    .tooManySharps = "Error(%d): the number of sharps in the %s meta event is invalid.\n",
    .modeInvalid = "Error(%d): the %s meta event can only specify major (0) or minor (1).\n",

    .channelMessages = {"Note Off", "Note On", "Polyphonic Key Pressure", "Control Change",
                        "Program Change", "Channel Pressure", "Pitch Bend"},
    .metaEvents = {
        .sequenceNumber = "Sequence Number",
        .text = "Text",
        .copyright = "Copyright",
        .trackName = "Track Name",
        .instrumentName = "Instrument Name",
        .lyric = "Lyric",
        .marker = "Marker",
        .cuePoint = "Cue Point",
        .programName = "Program Name",
        .deviceName = "Device Name",
        .channelPrefix = "Channel Prefix",
        .endOfTrack = "End of Track",
        .tempo = "Tempo",
        .smpteOffset = "SMPTE Offset",
        .timeSignature = "Time Signature",
        .keySignature = "Key Signature",
        .sequencerSpecific = "Sequencer-Specific Meta Event",
    },
};
// clang-format on

}  // namespace

const Texts& texts() { return kEnglish; }
TextEncoding textEncoding() { return literalEncoding(); }
