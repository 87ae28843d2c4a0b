#pragma once
// Clustering of a handful of colours by k-means, weighted by how often each
// colour occurs. The blemish engine uses two clusters to find the few ring
// pixels that belong to a hair or scratch running out of the patched area.

#include <cstdint>
#include <unordered_map>
#include <vector>

class TKMean {
 public:
  struct TColour {
    uint8_t Blue = 0, Green = 0, Red = 0;
    int32_t Cluster = 0;
    int32_t Count = 0;
  };
  struct TCluster {
    float Centre[3] = {};  // blue, green, red
    float Sums[3] = {};
    int32_t Weight = 0;
    bool Movable = true;
  };

  // A new colour gets the next entry (cluster 0, count 1); a known one counts up.
  void AddColour(uint8_t blue, uint8_t green, uint8_t red);
  // A cluster centred on the colour of entry colourIndex.
  void AddCluster(bool movable, int32_t colourIndex);
  // Reassigns every colour to its nearest cluster and moves the movable
  // centres to their means; returns the number of reassignments.
  int32_t Iterate();
  // Iterates until nothing moves.
  void Run();
  // The cluster of smallest weight, the first of equals; -1 without clusters.
  int32_t Minority() const;
  // -1 for a colour never added.
  int32_t IndexOf(uint8_t blue, uint8_t green, uint8_t red) const;

  const std::vector<TColour> &Colours() const { return FColours; }
  const std::vector<TCluster> &Clusters() const { return FClusters; }

 private:
  static uint32_t Key(uint8_t blue, uint8_t green, uint8_t red) {
    return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | blue;
  }
  float Distance(const TColour &colour, const TCluster &cluster) const;

  std::vector<TColour> FColours;  // first-seen order
  std::vector<TCluster> FClusters;
  // A ring holds a few hundred colours at most: a hash beats a table of every
  // 24-bit value, which would cost more to clear than the clustering itself.
  std::unordered_map<uint32_t, int32_t> Lookup;
};
