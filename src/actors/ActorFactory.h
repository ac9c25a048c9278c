// ActorFactory.h — a roster row turned into a live actor of its class: created, loaded from its
// files, given the row's side, numbers, links, path and behaviour.
#pragma once

#include "actors/ActorUnit.h"
#include "actors/RosterEntry.h"

#include <memory>
#include <string>

// What the caller wants of the roster's dormant rows (State 1: actors a mission wakes later).
enum class TDormancy : uint8_t { AsRostered, WakeAll };

// Creates the actor of entry in level: its mesh and parameter files are read from DataDir now,
// never later. rosterName names the roster in errors ("mission 3"). Throws TFileError naming the
// file (and line) of a missing or damaged file, a group outside 0..100, or a behaviour the
// entry's class does not have.
std::unique_ptr<TActor> CreateActor(TWorld& level, const TRosterEntry& entry, const std::string& rosterName,
                                    TDormancy dormancy = TDormancy::AsRostered);

// Whether the class of an actor fills behaviour slot (6..15).
bool ClassHasBehaviour(TActorClass cls, int32_t slot);
