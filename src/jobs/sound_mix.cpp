#include "jobs/sound_mix.h"

#include <cstdio>

namespace mivora {
namespace {

// Every piece is brought to one rate and layout, so the join takes them all.
constexpr char kSoundFormat[] = "aformat=sample_rates=48000:channel_layouts=stereo";

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds < 0 ? 0.0 : seconds);
  return text;
}

// A piece read from its input and made exactly its length on screen: a
// stretch shorter than its pictures is padded with silence, a longer one cut.
std::string PieceChain(int input, const SoundPiece& piece, const std::string& label) {
  std::string length = Seconds(piece.onScreen);
  if (input < 0) return "anullsrc=r=48000:cl=stereo,atrim=0:" + length + label;
  return "[" + std::to_string(input) + ":a]asetpts=PTS-STARTPTS," + kSoundFormat +
         ",apad=whole_dur=" + length + ",atrim=0:" + length + label;
}

}  // namespace

SoundMix MixSound(const std::vector<SoundPiece>& pieces, int firstInput, int musicInput,
                  const SoundOptions& options, const std::string& label) {
  SoundMix mix;
  if (options.mode == SoundMode::kMusic || pieces.empty()) return mix;
  std::vector<std::string> chains;
  std::string joined;
  int next = firstInput;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const SoundPiece& piece = pieces[i];
    int input = -1;
    if (!piece.file.empty()) {
      input = next++;
      mix.inputs.insert(mix.inputs.end(), {"-vn", "-ss", Seconds(piece.start), "-t",
                                           Seconds(piece.used), "-i", piece.file});
    }
    std::string name = "[snd" + std::to_string(i + 1) + "]";
    chains.push_back(PieceChain(input, piece, name));
    joined += name;
  }
  // One level for every video of a batch; the normaliser works at a higher
  // rate inside, so its output is brought back to the pieces' rate.
  const bool mixed = options.mode == SoundMode::kBoth && musicInput >= 0;
  const std::string voice = mixed ? "[voice]" : label;
  chains.push_back(joined + "concat=n=" + std::to_string(pieces.size()) +
                   ":v=0:a=1,loudnorm=I=-16:TP=-1.5:LRA=11,aresample=48000," + kSoundFormat +
                   voice);
  if (mixed) {
    char volume[32];
    std::snprintf(volume, sizeof volume, "%.2f", options.musicVolume);
    chains.push_back("[" + std::to_string(musicInput) + ":a]" + kSoundFormat + ",volume=" + volume +
                     "[music]");
    std::string music = "[music]";
    std::string spoken = "[voice]";
    if (options.duck) {
      // The source's sound keys a compressor on the music: the music gives
      // way while the source sounds and comes back in its pauses.
      chains.push_back("[voice]asplit=2[spoken][key]");
      chains.push_back(
          "[music][key]sidechaincompress=threshold=0.02:ratio=10:attack=20:release=300[ducked]");
      music = "[ducked]";
      spoken = "[spoken]";
    }
    // The music loops without end; the source's sound decides the length.
    chains.push_back(spoken + music + "amix=inputs=2:duration=first:normalize=0" + label);
  }
  for (const std::string& chain : chains) mix.graph += (mix.graph.empty() ? "" : ";") + chain;
  return mix;
}

}  // namespace mivora
