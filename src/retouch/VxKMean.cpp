#include "retouch/VxKMean.h"

#include <cmath>

void TKMean::AddColour(uint8_t blue, uint8_t green, uint8_t red) {
  auto [it, added] =
      Lookup.try_emplace(Key(blue, green, red), static_cast<int32_t>(FColours.size()));
  if (added) {
    FColours.push_back({blue, green, red, 0, 1});
  } else {
    ++FColours[static_cast<size_t>(it->second)].Count;
  }
}

int32_t TKMean::IndexOf(uint8_t blue, uint8_t green, uint8_t red) const {
  auto it = Lookup.find(Key(blue, green, red));
  return it == Lookup.end() ? -1 : it->second;
}

void TKMean::AddCluster(bool movable, int32_t colourIndex) {
  TCluster cluster;
  cluster.Movable = movable;
  if (colourIndex >= 0 && static_cast<size_t>(colourIndex) < FColours.size()) {
    const TColour &colour = FColours[static_cast<size_t>(colourIndex)];
    cluster.Centre[0] = colour.Blue;
    cluster.Centre[1] = colour.Green;
    cluster.Centre[2] = colour.Red;
  }
  FClusters.push_back(cluster);
}

float TKMean::Distance(const TColour &colour, const TCluster &cluster) const {
  const float db = static_cast<float>(colour.Blue) - cluster.Centre[0];
  const float dg = static_cast<float>(colour.Green) - cluster.Centre[1];
  const float dr = static_cast<float>(colour.Red) - cluster.Centre[2];
  return std::sqrt(db * db + dg * dg + dr * dr) * static_cast<float>(colour.Count);
}

int32_t TKMean::Iterate() {
  for (TCluster &cluster : FClusters) {
    cluster.Sums[0] = cluster.Sums[1] = cluster.Sums[2] = 0.0f;
    cluster.Weight = 0;
  }
  int32_t moves = 0;
  for (TColour &colour : FColours) {
    float best = Distance(colour, FClusters[static_cast<size_t>(colour.Cluster)]);
    for (size_t k = 0; k < FClusters.size(); ++k) {
      const float d = Distance(colour, FClusters[k]);
      if (d < best) {
        best = d;
        colour.Cluster = static_cast<int32_t>(k);
        ++moves;
      }
    }
    TCluster &cluster = FClusters[static_cast<size_t>(colour.Cluster)];
    const float count = static_cast<float>(colour.Count);
    cluster.Sums[0] += count * static_cast<float>(colour.Blue);
    cluster.Sums[1] += count * static_cast<float>(colour.Green);
    cluster.Sums[2] += count * static_cast<float>(colour.Red);
    cluster.Weight += colour.Count;
  }
  for (TCluster &cluster : FClusters) {
    if (!cluster.Movable || cluster.Weight <= 0) continue;
    const float weight = static_cast<float>(cluster.Weight);
    for (int c = 0; c < 3; ++c) cluster.Centre[c] = cluster.Sums[c] / weight;
  }
  return moves;
}

void TKMean::Run() {
  if (FClusters.empty()) return;
  // Each pass lowers the total distance, so this ends; the bound only guards
  // against rounding making two centres trade a colour back and forth.
  for (int pass = 0; pass < 1000 && Iterate() > 0; ++pass) {
  }
}

int32_t TKMean::Minority() const {
  int32_t minority = -1;
  for (size_t k = 0; k < FClusters.size(); ++k)
    if (minority < 0 || FClusters[k].Weight < FClusters[static_cast<size_t>(minority)].Weight)
      minority = static_cast<int32_t>(k);
  return minority;
}
