"""The pictures of a design's analysis, as PNG files drawn without a display (matplotlib's Agg):
the main effects, the strongest interaction as a heat map, and the decision tree."""

import math
import os

import numpy as np
import pandas as pd

# A numeric factor's battles are shown in this many groups of about equal numbers of points.
BINS = 5
GRID = 21


def pyplot():
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    return plt


def factor_groups(frame, factor):
    """The battles by level, or by bins of a numeric factor's values: (label or centre, wins, battles)."""
    if factor.numeric:
        values = frame[factor.name].astype(float)
        bins = pd.qcut(values.rank(method="first"), min(BINS, values.nunique()), labels=False)
        grouped = frame.groupby(bins)
        centres = grouped[factor.name].mean()
    else:
        from battlesim._factors import level_text

        grouped = frame.groupby(frame[factor.name].map(level_text), sort=False)
        centres = pd.Series(list(grouped.groups), index=list(grouped.groups))
    return [(centres[key], int(group["red_win"].sum()), len(group)) for key, group in grouped]


def main_effects_plot(frame, factors, path):
    from battlesim._effects import wilson

    plt = pyplot()
    columns = min(4, len(factors))
    rows = math.ceil(len(factors) / columns)
    figure, axes = plt.subplots(rows, columns, figsize=(3.2 * columns, 2.6 * rows), squeeze=False, sharey=True)
    for axis, factor in zip(axes.flat, factors):
        groups = factor_groups(frame, factor)
        xs = [x if factor.numeric else index for index, (x, _, _) in enumerate(groups)]
        rates = np.array([wins / battles for _, wins, battles in groups])
        low, high = wilson(np.array([w for _, w, _ in groups]), np.array([b for _, _, b in groups]))
        axis.errorbar(xs, rates, yerr=[rates - low, high - rates], marker="o", capsize=3)
        if not factor.numeric:
            axis.set_xticks(xs, [str(x) for x, _, _ in groups], rotation=30, fontsize=7)
        axis.set_title(factor.name, fontsize=9)
        axis.set_ylim(0, 1)
    for axis in list(axes.flat)[len(factors):]:
        axis.set_visible(False)
    axes[0][0].set_ylabel("red win rate (95% interval)")
    figure.tight_layout()
    figure.savefig(path, dpi=100)
    plt.close(figure)


def axis_values(factor):
    """The coded values a heat map's axis runs through, with their labels in the factor's own terms."""
    if factor.numeric:
        coded = np.linspace(-1.0, 1.0, GRID)
        return [{factor.name: value} for value in coded], [f"{factor.natural(value):.3g}" for value in coded]
    settings = [{column: float(index == level) for index, column in enumerate(factor.columns, 1)}
                for level in range(len(factor.levels))]
    return settings, factor.levels


def interaction_plot(logistic, factors, pair, path):
    """The logistic model's chance of a red win over the two factors, the others at their centre."""
    from battlesim._metamodels import predict_logistic

    plt = pyplot()
    by_name = {factor.name: factor for factor in factors}
    rows, row_labels = axis_values(by_name[pair[0]])
    columns, column_labels = axis_values(by_name[pair[1]])
    grid = np.zeros((len(rows), len(columns)))
    for i, row in enumerate(rows):
        for j, column in enumerate(columns):
            setting = pd.DataFrame([{name: 0.0 for name in logistic["columns"]}])
            for name, value in {**row, **column}.items():
                setting[name] = value
            for name in logistic["columns"]:
                if ":" in name:
                    first, second = name.split(":", 1)
                    setting[name] = setting[first] * setting[second]
            grid[i, j] = predict_logistic(logistic["params"], setting[logistic["columns"]])[0]
    figure, axis = plt.subplots(figsize=(6, 5))
    image = axis.imshow(grid, origin="lower", aspect="auto", vmin=0, vmax=1, cmap="RdBu_r")
    ticks = lambda labels: range(0, len(labels), max(1, len(labels) // 5))  # noqa: E731
    axis.set_yticks(list(ticks(row_labels)), [row_labels[i] for i in ticks(row_labels)], fontsize=7)
    axis.set_xticks(list(ticks(column_labels)), [column_labels[i] for i in ticks(column_labels)], fontsize=7)
    axis.set_ylabel(pair[0])
    axis.set_xlabel(pair[1])
    axis.set_title("red's chance of winning (logistic model, other factors at their centre)", fontsize=9)
    figure.colorbar(image, ax=axis)
    figure.tight_layout()
    figure.savefig(path, dpi=100)
    plt.close(figure)


def tree_plot(tree, columns, path):
    from sklearn.tree import plot_tree

    plt = pyplot()
    figure, axis = plt.subplots(figsize=(15, 7))
    plot_tree(tree, feature_names=list(columns), class_names=["red not", "red wins"], filled=True,
              impurity=False, proportion=True, fontsize=7, ax=axis)
    figure.savefig(path, dpi=100)
    plt.close(figure)


def draw(folder, frame, factors, logistic, tree, tree_columns):
    """The three pictures in folder; their paths."""
    os.makedirs(folder, exist_ok=True)
    paths = [os.path.join(folder, name) for name in ("main_effects.png", "interaction.png", "tree.png")]
    main_effects_plot(frame, factors, paths[0])
    if logistic["strongest"] is None:
        paths.remove(paths[1])
    else:
        interaction_plot(logistic, factors, logistic["strongest"][:2], paths[1])
    tree_plot(tree["tree"], tree_columns, paths[-1])
    return paths
