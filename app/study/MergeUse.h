// What reading recorded runs is for, for a study's shards and a tournament's alike.
#pragma once

// Merging refuses whatever would spoil the merged result (an interrupt among them); verifying
// takes any run whose battles can still be played again, and says what keeps the runs from being whole.
enum class MergeUse { Merge, Verify };
