#pragma once

#include "engine/postagger.h"
#include "engine/postagmodel.h"

#include <functional>

// Trains the tagger's averaged perceptron: greedy left to right, the
// previous tags being the model's own guesses, weights averaged over every
// step of every iteration. The sentences are shuffled before each iteration
// by a seeded generator of the standard's fixed algorithm (mt19937), so the
// same sentences and options give the same model bytes.
namespace PosTraining {

struct Sentence
{
    QStringList words; // in the corpus's spelling (PosFeatures::corpusForm)
    QList<PosTag> tags;
};

struct Options
{
    int iterations = 5;
    quint32 seed = 1961;
    // A word goes into the tag dictionary when it occurs at least this often
    // and carries its most frequent tag at least this share of the time.
    int dictionaryMinCount = 20;
    double dictionaryMinShare = 0.99;
};

// Called after each iteration with its number (from 1) and the share of
// training tokens the model guessed right during it.
using IterationReport = std::function<void(int iteration, double accuracy)>;

[[nodiscard]] PosModel train(const QList<Sentence> &sentences, const Options &options,
                             const IterationReport &report = {});

} // namespace PosTraining
