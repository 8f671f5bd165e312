/* toolbox/numeric/random.h - uniform random numbers with a per-thread seed (plain C).
 *
 * The three-component combined multiplicative congruential generator of Wichmann and Hill.
 * Each thread has its own generator state, so threads draw independent, reproducible
 * sequences without locking: every thread starts from seed 945329041, whose first three values
 * of Random(0, 1) are about 0.4438907095, 0.8876689228 and 0.9208607073.
 */
#ifndef TOOLBOX_NUMERIC_RANDOM_H
#define TOOLBOX_NUMERIC_RANDOM_H

#ifdef __cplusplus
extern "C" {
#endif

/* A value drawn uniformly from [minimum, maximum). With maximum < minimum returns minimum and
 * draws nothing; with maximum == minimum returns minimum and still draws. A NaN argument draws
 * and gives NaN. */
double Random(double minimum, double maximum);

/* Reseeds the calling thread's generator from the next draw on. seed 0 takes a non-zero seed
 * from the processor clock (clock()). Every seed gives a usable sequence: the generator starts
 * from the seed's low 14 bits, and for a seed whose low 14 bits are all 0 from its next non-zero
 * group of bits (bits 14-27, then 28-31). Other threads are not affected. */
void SetRandomSeed(int seed);

#ifdef __cplusplus
}
#endif

#endif
