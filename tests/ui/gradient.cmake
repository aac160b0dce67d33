# gradient tests.
